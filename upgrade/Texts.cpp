#include "upgrade/Texts.h"

#include <array>
#include <cstddef>
#include <cstdlib>
#include <iterator>

#include "base/Format.h"
#include "platform/CodePage.h"

namespace {

// The columns are UTF-8 here and converted to the code page when a language is chosen, in the
// order of TauUpdaterLanguage.

// English
constexpr std::string_view English[] = {
    "Application update wizard",
    "Downloading files...",
    "Upgrade completed!",
    "Current file",
    "All files",
    "Downloading file from",
    "File size: %.1f Kb",
    "Transfer rate: %.1f Kb/s",
    "Estimated time left: %d:%.2d:%.2d",
    "Downloading %d of %d",
    "The update of %s has been successfully completed.\r\rPress the OK button to restart program.",
    "Enter password",
    "User Name",
    "Password",
    "&Yes",
    "&No",
    "&OK",
    "&Cancel",
    "&Next >",
    "&Later",
    "Warning",
    "Error",
    "Preparing. . .",
    "A newer version of %s was released.\n%s\nDo you want to update your version with the latest "
    "one?",
    "Newer version not found. You actually are\rusing most recent version of this program.",
    "File which contains upgrade information was not found on developer's site.",
    "Host %s unreachable.\r\rPlease check your Internet connection and\rtry to upgrade this "
    "software again later.",
    "The update is not completed.\rWould you like to abort upgrading?",
    "File %s not found or inaccessible.\r\rTry to skip this file and continue upgrade?",
    "Access to remote file \"%s\" is password protected.\n\nPlease enter your username and "
    "password (received after registration) to continue software upgrade.",
    "Connection with remote server lost.\r\rPlease restore connection and try to\rupgrade this "
    "software again later.",
    "Version %s of this program is available.\r\rThis installation cannot update itself because "
    "its folder cannot be written. Please install the new version with your package manager or "
    "from the release page.",
    "The update could not be installed; the previous version has been kept.\r\r%s",
};
static_assert(std::size(English) == utTextCount);

// Russian
constexpr std::string_view Russian[] = {
    "Мастер обновления программы",
    "Загрузка файлов...",
    "Обновление завершено!",
    "Текущий файл",
    "Все файлы",
    "Загрузка файла с адреса",
    "Размер файла: %.1f Кб",
    "Скорость передачи: %.1f Кб/с",
    "Осталось примерно: %d:%.2d:%.2d",
    "Загрузка %d из %d",
    "Обновление %s успешно завершено.\r\rНажмите кнопку ОК, чтобы перезапустить программу.",
    "Введите пароль",
    "Имя пользователя",
    "Пароль",
    "&Да",
    "&Нет",
    "&ОК",
    "&Отмена",
    "&Далее >",
    "&Позже",
    "Предупреждение",
    "Ошибка",
    "Подготовка. . .",
    "Вышла новая версия %s.\n%s\nОбновить вашу версию до последней?",
    "Новая версия не найдена. Вы уже используете\rсамую последнюю версию этой программы.",
    "Файл со сведениями об обновлении не найден на сайте разработчика.",
    "Сервер %s недоступен.\r\rПроверьте подключение к Интернету и\rпопробуйте обновить программу "
    "позже.",
    "Обновление не завершено.\rПрервать обновление?",
    "Файл %s не найден или недоступен.\r\rПропустить этот файл и продолжить обновление?",
    "Доступ к удалённому файлу \"%s\" защищён паролем.\n\nВведите имя пользователя и пароль "
    "(полученные при регистрации), чтобы продолжить обновление программы.",
    "Соединение с сервером потеряно.\r\rВосстановите соединение и попробуйте\rобновить программу "
    "позже.",
    "Доступна версия %s этой программы.\r\rЭта установка не может обновиться сама, так как её "
    "папка недоступна для записи. Установите новую версию через менеджер пакетов или со страницы "
    "выпусков.",
    "Не удалось установить обновление; сохранена прежняя версия.\r\r%s",
};
static_assert(std::size(Russian) == utTextCount);

// German
constexpr std::string_view German[] = {
    "Assistent zur Programmaktualisierung",
    "Dateien werden heruntergeladen...",
    "Aktualisierung abgeschlossen!",
    "Aktuelle Datei",
    "Alle Dateien",
    "Datei wird heruntergeladen von",
    "Dateigröße: %.1f KB",
    "Übertragungsrate: %.1f KB/s",
    "Geschätzte Restzeit: %d:%.2d:%.2d",
    "Datei %d von %d wird heruntergeladen",
    "Die Aktualisierung von %s wurde erfolgreich abgeschlossen.\r\rKlicken Sie auf OK, um das "
    "Programm neu zu starten.",
    "Kennwort eingeben",
    "Benutzername",
    "Kennwort",
    "&Ja",
    "&Nein",
    "&OK",
    "&Abbrechen",
    "&Weiter >",
    "&Später",
    "Warnung",
    "Fehler",
    "Vorbereitung. . .",
    "Eine neuere Version von %s ist erschienen.\n%s\nMöchten Sie Ihre Version auf die neueste "
    "aktualisieren?",
    "Keine neuere Version gefunden. Sie verwenden bereits\rdie neueste Version dieses Programms.",
    "Die Datei mit den Aktualisierungsinformationen wurde auf der Website des Herstellers nicht "
    "gefunden.",
    "Der Server %s ist nicht erreichbar.\r\rBitte prüfen Sie Ihre Internetverbindung "
    "und\rversuchen Sie die Aktualisierung später erneut.",
    "Die Aktualisierung ist noch nicht abgeschlossen.\rMöchten Sie die Aktualisierung abbrechen?",
    "Die Datei %s wurde nicht gefunden oder ist nicht zugänglich.\r\rDiese Datei überspringen und "
    "die Aktualisierung fortsetzen?",
    "Der Zugriff auf die entfernte Datei \"%s\" ist kennwortgeschützt.\n\nBitte geben Sie Ihren "
    "Benutzernamen und Ihr Kennwort (nach der Registrierung erhalten) ein, um die Aktualisierung "
    "fortzusetzen.",
    "Die Verbindung zum Server wurde unterbrochen.\r\rBitte stellen Sie die Verbindung wieder her "
    "und\rversuchen Sie die Aktualisierung später erneut.",
    "Version %s dieses Programms ist verfügbar.\r\rDiese Installation kann sich nicht selbst "
    "aktualisieren, da ihr Ordner schreibgeschützt ist. Bitte installieren Sie die neue Version "
    "mit Ihrer Paketverwaltung oder von der Download-Seite.",
    "Die Aktualisierung konnte nicht installiert werden; die bisherige Version wurde "
    "beibehalten.\r\r%s",
};
static_assert(std::size(German) == utTextCount);

// French
constexpr std::string_view French[] = {
    "Assistant de mise à jour",
    "Téléchargement des fichiers...",
    "Mise à jour terminée !",
    "Fichier en cours",
    "Tous les fichiers",
    "Téléchargement du fichier depuis",
    "Taille du fichier : %.1f Ko",
    "Débit : %.1f Ko/s",
    "Temps restant estimé : %d:%.2d:%.2d",
    "Téléchargement %d sur %d",
    "La mise à jour de %s s'est terminée avec succès.\r\rCliquez sur OK pour redémarrer le "
    "programme.",
    "Saisie du mot de passe",
    "Nom d'utilisateur",
    "Mot de passe",
    "&Oui",
    "&Non",
    "&OK",
    "&Annuler",
    "&Suivant >",
    "&Plus tard",
    "Avertissement",
    "Erreur",
    "Préparation. . .",
    "Une nouvelle version de %s est disponible.\n%s\nVoulez-vous remplacer votre version par la "
    "plus récente ?",
    "Aucune version plus récente trouvée. Vous utilisez déjà\rla dernière version de ce programme.",
    "Le fichier contenant les informations de mise à jour est introuvable sur le site du "
    "développeur.",
    "L'hôte %s est injoignable.\r\rVérifiez votre connexion Internet et\rréessayez la mise à jour "
    "plus tard.",
    "La mise à jour n'est pas terminée.\rVoulez-vous abandonner la mise à jour ?",
    "Le fichier %s est introuvable ou inaccessible.\r\rIgnorer ce fichier et poursuivre la mise à "
    "jour ?",
    "L'accès au fichier distant « %s » est protégé par un mot de passe.\n\nSaisissez votre nom "
    "d'utilisateur et votre mot de passe (reçus lors de l'enregistrement) pour poursuivre la mise "
    "à jour.",
    "La connexion avec le serveur distant a été perdue.\r\rRétablissez la connexion et\rréessayez "
    "la mise à jour plus tard.",
    "La version %s de ce programme est disponible.\r\rCette installation ne peut pas se mettre à "
    "jour elle-même, car son dossier n'est pas accessible en écriture. Installez la nouvelle "
    "version avec votre gestionnaire de paquets ou depuis la page des versions.",
    "La mise à jour n'a pas pu être installée ; la version précédente a été conservée.\r\r%s",
};
static_assert(std::size(French) == utTextCount);

// Spanish
constexpr std::string_view Spanish[] = {
    "Asistente de actualización",
    "Descargando archivos...",
    "¡Actualización completada!",
    "Archivo actual",
    "Todos los archivos",
    "Descargando archivo desde",
    "Tamaño del archivo: %.1f KB",
    "Velocidad de transferencia: %.1f KB/s",
    "Tiempo restante estimado: %d:%.2d:%.2d",
    "Descargando %d de %d",
    "La actualización de %s se ha completado correctamente.\r\rPulse el botón Aceptar para "
    "reiniciar el programa.",
    "Introduzca la contraseña",
    "Nombre de usuario",
    "Contraseña",
    "&Sí",
    "&No",
    "&Aceptar",
    "&Cancelar",
    "&Siguiente >",
    "&Más tarde",
    "Advertencia",
    "Error",
    "Preparando. . .",
    "Se ha publicado una nueva versión de %s.\n%s\n¿Desea actualizar su versión a la más reciente?",
    "No se encontró una versión más reciente. Ya está usando\rla versión más reciente de este "
    "programa.",
    "No se encontró en el sitio del desarrollador el archivo con la información de actualización.",
    "No se puede acceder al servidor %s.\r\rCompruebe su conexión a Internet e\rintente actualizar "
    "el programa más tarde.",
    "La actualización no se ha completado.\r¿Desea cancelar la actualización?",
    "El archivo %s no se encontró o no es accesible.\r\r¿Omitir este archivo y continuar la "
    "actualización?",
    "El acceso al archivo remoto \"%s\" está protegido por contraseña.\n\nIntroduzca su nombre de "
    "usuario y contraseña (recibidos al registrarse) para continuar la actualización.",
    "Se perdió la conexión con el servidor remoto.\r\rRestablezca la conexión e "
    "intente\ractualizar el programa más tarde.",
    "La versión %s de este programa está disponible.\r\rEsta instalación no puede actualizarse por "
    "sí misma porque no se puede escribir en su carpeta. Instale la nueva versión con su gestor de "
    "paquetes o desde la página de publicaciones.",
    "No se pudo instalar la actualización; se ha conservado la versión anterior.\r\r%s",
};
static_assert(std::size(Spanish) == utTextCount);

// Portuguese
constexpr std::string_view Portuguese[] = {
    "Assistente de atualização",
    "A transferir ficheiros...",
    "Atualização concluída!",
    "Ficheiro atual",
    "Todos os ficheiros",
    "A transferir o ficheiro de",
    "Tamanho do ficheiro: %.1f KB",
    "Taxa de transferência: %.1f KB/s",
    "Tempo restante estimado: %d:%.2d:%.2d",
    "A transferir %d de %d",
    "A atualização de %s foi concluída com êxito.\r\rPrima o botão OK para reiniciar o programa.",
    "Introduza a palavra-passe",
    "Nome de utilizador",
    "Palavra-passe",
    "&Sim",
    "&Não",
    "&OK",
    "&Cancelar",
    "&Seguinte >",
    "Mais &tarde",
    "Aviso",
    "Erro",
    "A preparar. . .",
    "Foi lançada uma nova versão de %s.\n%s\nPretende atualizar a sua versão para a mais recente?",
    "Não foi encontrada uma versão mais recente. Já está a utilizar\ra versão mais recente deste "
    "programa.",
    "O ficheiro com as informações de atualização não foi encontrado no site do programador.",
    "O servidor %s está inacessível.\r\rVerifique a sua ligação à Internet e\rtente atualizar o "
    "programa mais tarde.",
    "A atualização não está concluída.\rPretende cancelar a atualização?",
    "O ficheiro %s não foi encontrado ou está inacessível.\r\rIgnorar este ficheiro e continuar a "
    "atualização?",
    "O acesso ao ficheiro remoto \"%s\" está protegido por palavra-passe.\n\nIntroduza o seu nome "
    "de utilizador e a palavra-passe (recebidos após o registo) para continuar a atualização.",
    "A ligação ao servidor remoto foi perdida.\r\rRestabeleça a ligação e tente\ratualizar o "
    "programa mais tarde.",
    "Está disponível a versão %s deste programa.\r\rEsta instalação não se pode atualizar sozinha "
    "porque não é possível escrever na sua pasta. Instale a nova versão com o gestor de pacotes ou "
    "a partir da página de lançamentos.",
    "Não foi possível instalar a atualização; a versão anterior foi mantida.\r\r%s",
};
static_assert(std::size(Portuguese) == utTextCount);

// Brazilian Portuguese
constexpr std::string_view PortugueseBrazilian[] = {
    "Assistente de atualização",
    "Baixando arquivos...",
    "Atualização concluída!",
    "Arquivo atual",
    "Todos os arquivos",
    "Baixando arquivo de",
    "Tamanho do arquivo: %.1f KB",
    "Taxa de transferência: %.1f KB/s",
    "Tempo restante estimado: %d:%.2d:%.2d",
    "Baixando %d de %d",
    "A atualização de %s foi concluída com sucesso.\r\rClique no botão OK para reiniciar o "
    "programa.",
    "Digite a senha",
    "Nome de usuário",
    "Senha",
    "&Sim",
    "&Não",
    "&OK",
    "&Cancelar",
    "&Avançar >",
    "Mais &tarde",
    "Aviso",
    "Erro",
    "Preparando. . .",
    "Uma nova versão de %s foi lançada.\n%s\nDeseja atualizar sua versão para a mais recente?",
    "Nenhuma versão mais nova foi encontrada. Você já está usando\ra versão mais recente deste "
    "programa.",
    "O arquivo com as informações de atualização não foi encontrado no site do desenvolvedor.",
    "O servidor %s está inacessível.\r\rVerifique sua conexão com a Internet e\rtente atualizar o "
    "programa mais tarde.",
    "A atualização não foi concluída.\rDeseja cancelar a atualização?",
    "O arquivo %s não foi encontrado ou está inacessível.\r\rIgnorar este arquivo e continuar a "
    "atualização?",
    "O acesso ao arquivo remoto \"%s\" é protegido por senha.\n\nDigite seu nome de usuário e "
    "senha (recebidos após o cadastro) para continuar a atualização.",
    "A conexão com o servidor remoto foi perdida.\r\rRestabeleça a conexão e tente\ratualizar o "
    "programa mais tarde.",
    "A versão %s deste programa está disponível.\r\rEsta instalação não pode se atualizar sozinha "
    "porque não é possível gravar na pasta dela. Instale a nova versão pelo gerenciador de pacotes "
    "ou pela página de lançamentos.",
    "Não foi possível instalar a atualização; a versão anterior foi mantida.\r\r%s",
};
static_assert(std::size(PortugueseBrazilian) == utTextCount);

// Italian
constexpr std::string_view Italian[] = {
    "Aggiornamento guidato dell'applicazione",
    "Download dei file in corso...",
    "Aggiornamento completato!",
    "File corrente",
    "Tutti i file",
    "Download del file da",
    "Dimensione del file: %.1f KB",
    "Velocità di trasferimento: %.1f KB/s",
    "Tempo residuo stimato: %d:%.2d:%.2d",
    "Download %d di %d",
    "L'aggiornamento di %s è stato completato correttamente.\r\rPremere il pulsante OK per "
    "riavviare il programma.",
    "Inserire la password",
    "Nome utente",
    "Password",
    "&Sì",
    "&No",
    "&OK",
    "&Annulla",
    "&Avanti >",
    "&Più tardi",
    "Avviso",
    "Errore",
    "Preparazione. . .",
    "È stata rilasciata una nuova versione di %s.\n%s\nAggiornare la versione in uso alla più "
    "recente?",
    "Nessuna versione più recente trovata. È già in uso\rla versione più recente di questo "
    "programma.",
    "Il file con le informazioni di aggiornamento non è stato trovato sul sito dello sviluppatore.",
    "Host %s non raggiungibile.\r\rControllare la connessione a Internet e\rriprovare "
    "l'aggiornamento più tardi.",
    "L'aggiornamento non è completato.\rInterrompere l'aggiornamento?",
    "Il file %s non è stato trovato o non è accessibile.\r\rSaltare questo file e continuare "
    "l'aggiornamento?",
    "L'accesso al file remoto \"%s\" è protetto da password.\n\nInserire il nome utente e la "
    "password (ricevuti dopo la registrazione) per continuare l'aggiornamento.",
    "Connessione con il server remoto persa.\r\rRipristinare la connessione e "
    "riprovare\rl'aggiornamento più tardi.",
    "È disponibile la versione %s di questo programma.\r\rQuesta installazione non può aggiornarsi "
    "da sola perché la sua cartella non è scrivibile. Installare la nuova versione con il gestore "
    "di pacchetti o dalla pagina delle versioni.",
    "Impossibile installare l'aggiornamento; è stata mantenuta la versione precedente.\r\r%s",
};
static_assert(std::size(Italian) == utTextCount);

// Dutch
constexpr std::string_view Dutch[] = {
    "Wizard voor programma-update",
    "Bestanden downloaden...",
    "Update voltooid!",
    "Huidig bestand",
    "Alle bestanden",
    "Bestand downloaden van",
    "Bestandsgrootte: %.1f KB",
    "Overdrachtssnelheid: %.1f KB/s",
    "Geschatte resterende tijd: %d:%.2d:%.2d",
    "Downloaden %d van %d",
    "De update van %s is voltooid.\r\rKlik op OK om het programma opnieuw te starten.",
    "Wachtwoord invoeren",
    "Gebruikersnaam",
    "Wachtwoord",
    "&Ja",
    "&Nee",
    "&OK",
    "&Annuleren",
    "&Volgende >",
    "&Later",
    "Waarschuwing",
    "Fout",
    "Voorbereiden. . .",
    "Er is een nieuwere versie van %s uitgebracht.\n%s\nWilt u uw versie bijwerken naar de "
    "nieuwste?",
    "Geen nieuwere versie gevonden. U gebruikt al\rde nieuwste versie van dit programma.",
    "Het bestand met de update-informatie is niet gevonden op de website van de ontwikkelaar.",
    "Host %s is onbereikbaar.\r\rControleer uw internetverbinding en\rprobeer de update later "
    "opnieuw.",
    "De update is niet voltooid.\rWilt u het bijwerken afbreken?",
    "Bestand %s is niet gevonden of niet toegankelijk.\r\rDit bestand overslaan en doorgaan met "
    "bijwerken?",
    "De toegang tot het externe bestand \"%s\" is met een wachtwoord beveiligd.\n\nVoer uw "
    "gebruikersnaam en wachtwoord in (ontvangen na registratie) om door te gaan met bijwerken.",
    "De verbinding met de server is verbroken.\r\rHerstel de verbinding en probeer\rde update "
    "later opnieuw.",
    "Versie %s van dit programma is beschikbaar.\r\rDeze installatie kan zichzelf niet bijwerken "
    "omdat er in de map niet geschreven kan worden. Installeer de nieuwe versie met uw "
    "pakketbeheerder of vanaf de downloadpagina.",
    "De update kon niet worden geïnstalleerd; de vorige versie is behouden.\r\r%s",
};
static_assert(std::size(Dutch) == utTextCount);

// Danish
constexpr std::string_view Danish[] = {
    "Guide til programopdatering",
    "Henter filer...",
    "Opdatering fuldført!",
    "Aktuel fil",
    "Alle filer",
    "Henter fil fra",
    "Filstørrelse: %.1f KB",
    "Overførselshastighed: %.1f KB/s",
    "Anslået resterende tid: %d:%.2d:%.2d",
    "Henter %d af %d",
    "Opdateringen af %s er gennemført.\r\rKlik på OK for at genstarte programmet.",
    "Indtast adgangskode",
    "Brugernavn",
    "Adgangskode",
    "&Ja",
    "&Nej",
    "&OK",
    "&Annuller",
    "&Næste >",
    "&Senere",
    "Advarsel",
    "Fejl",
    "Forbereder. . .",
    "Der er udgivet en nyere version af %s.\n%s\nVil du opdatere din version til den nyeste?",
    "Der blev ikke fundet en nyere version. Du bruger allerede\rden nyeste version af dette "
    "program.",
    "Filen med opdateringsoplysninger blev ikke fundet på udviklerens websted.",
    "Værten %s kan ikke nås.\r\rKontrollér din internetforbindelse, og\rprøv at opdatere "
    "programmet igen senere.",
    "Opdateringen er ikke fuldført.\rVil du afbryde opdateringen?",
    "Filen %s blev ikke fundet eller er utilgængelig.\r\rVil du springe filen over og fortsætte "
    "opdateringen?",
    "Adgang til fjernfilen \"%s\" er beskyttet med adgangskode.\n\nIndtast dit brugernavn og din "
    "adgangskode (modtaget ved registrering) for at fortsætte opdateringen.",
    "Forbindelsen til serveren blev afbrudt.\r\rGenopret forbindelsen, og prøv at\ropdatere "
    "programmet igen senere.",
    "Version %s af dette program er tilgængelig.\r\rDenne installation kan ikke opdatere sig selv, "
    "fordi der ikke kan skrives i dens mappe. Installer den nye version med din pakkehåndtering "
    "eller fra udgivelsessiden.",
    "Opdateringen kunne ikke installeres; den tidligere version er bevaret.\r\r%s",
};
static_assert(std::size(Danish) == utTextCount);

// Swedish
constexpr std::string_view Swedish[] = {
    "Guide för programuppdatering",
    "Hämtar filer...",
    "Uppdateringen är klar!",
    "Aktuell fil",
    "Alla filer",
    "Hämtar fil från",
    "Filstorlek: %.1f KB",
    "Överföringshastighet: %.1f KB/s",
    "Beräknad återstående tid: %d:%.2d:%.2d",
    "Hämtar %d av %d",
    "Uppdateringen av %s har slutförts.\r\rKlicka på OK för att starta om programmet.",
    "Ange lösenord",
    "Användarnamn",
    "Lösenord",
    "&Ja",
    "&Nej",
    "&OK",
    "&Avbryt",
    "&Nästa >",
    "&Senare",
    "Varning",
    "Fel",
    "Förbereder. . .",
    "En nyare version av %s har släppts.\n%s\nVill du uppdatera din version till den senaste?",
    "Ingen nyare version hittades. Du använder redan\rden senaste versionen av programmet.",
    "Filen med uppdateringsinformation hittades inte på utvecklarens webbplats.",
    "Värden %s kan inte nås.\r\rKontrollera din internetanslutning och\rförsök uppdatera "
    "programmet igen senare.",
    "Uppdateringen är inte klar.\rVill du avbryta uppdateringen?",
    "Filen %s hittades inte eller är inte åtkomlig.\r\rVill du hoppa över filen och fortsätta "
    "uppdateringen?",
    "Åtkomst till fjärrfilen \"%s\" är lösenordsskyddad.\n\nAnge ditt användarnamn och lösenord "
    "(som du fick vid registreringen) för att fortsätta uppdateringen.",
    "Anslutningen till servern bröts.\r\rÅterställ anslutningen och försök\ruppdatera programmet "
    "igen senare.",
    "Version %s av programmet finns tillgänglig.\r\rDen här installationen kan inte uppdatera sig "
    "själv eftersom det inte går att skriva i dess mapp. Installera den nya versionen med "
    "pakethanteraren eller från versionssidan.",
    "Uppdateringen kunde inte installeras; den tidigare versionen har behållits.\r\r%s",
};
static_assert(std::size(Swedish) == utTextCount);

// Finnish
constexpr std::string_view Finnish[] = {
    "Ohjelman päivitysavustaja",
    "Ladataan tiedostoja...",
    "Päivitys valmis!",
    "Nykyinen tiedosto",
    "Kaikki tiedostot",
    "Ladataan tiedostoa osoitteesta",
    "Tiedoston koko: %.1f kt",
    "Siirtonopeus: %.1f kt/s",
    "Arvioitu jäljellä oleva aika: %d:%.2d:%.2d",
    "Ladataan %d / %d",
    "Ohjelman %s päivitys onnistui.\r\rKäynnistä ohjelma uudelleen napsauttamalla OK.",
    "Anna salasana",
    "Käyttäjätunnus",
    "Salasana",
    "&Kyllä",
    "&Ei",
    "&OK",
    "&Peruuta",
    "&Seuraava >",
    "&Myöhemmin",
    "Varoitus",
    "Virhe",
    "Valmistellaan. . .",
    "Ohjelmasta %s on julkaistu uudempi versio.\n%s\nHaluatko päivittää uusimpaan versioon?",
    "Uudempaa versiota ei löytynyt. Käytät jo\rtämän ohjelman uusinta versiota.",
    "Päivitystiedot sisältävää tiedostoa ei löytynyt kehittäjän sivustolta.",
    "Palvelinta %s ei tavoiteta.\r\rTarkista Internet-yhteys ja\ryritä päivittää ohjelma myöhemmin "
    "uudelleen.",
    "Päivitys on kesken.\rHaluatko keskeyttää päivityksen?",
    "Tiedostoa %s ei löytynyt tai siihen ei päästä.\r\rOhitetaanko tiedosto ja jatketaanko "
    "päivitystä?",
    "Etätiedosto \"%s\" on suojattu salasanalla.\n\nAnna käyttäjätunnuksesi ja salasanasi (saatu "
    "rekisteröitymisen jälkeen) jatkaaksesi päivitystä.",
    "Yhteys palvelimeen katkesi.\r\rPalauta yhteys ja yritä\rpäivittää ohjelma myöhemmin "
    "uudelleen.",
    "Ohjelman versio %s on saatavilla.\r\rTämä asennus ei voi päivittää itseään, koska sen "
    "kansioon ei voi kirjoittaa. Asenna uusi versio paketinhallinnalla tai julkaisusivulta.",
    "Päivitystä ei voitu asentaa; edellinen versio säilytettiin.\r\r%s",
};
static_assert(std::size(Finnish) == utTextCount);

// Estonian
constexpr std::string_view Estonian[] = {
    "Programmi uuendamise viisard",
    "Failide allalaadimine...",
    "Uuendamine lõpetatud!",
    "Praegune fail",
    "Kõik failid",
    "Faili allalaadimine aadressilt",
    "Faili suurus: %.1f kB",
    "Edastuskiirus: %.1f kB/s",
    "Hinnanguline järelejäänud aeg: %d:%.2d:%.2d",
    "Allalaadimine: %d / %d",
    "Programmi %s uuendamine õnnestus.\r\rProgrammi taaskäivitamiseks vajutage nuppu OK.",
    "Sisestage parool",
    "Kasutajanimi",
    "Parool",
    "&Jah",
    "&Ei",
    "&OK",
    "&Loobu",
    "&Edasi >",
    "&Hiljem",
    "Hoiatus",
    "Viga",
    "Ettevalmistamine. . .",
    "Programmist %s on ilmunud uuem versioon.\n%s\nKas soovite oma versiooni uusimale uuendada?",
    "Uuemat versiooni ei leitud. Te juba kasutate\rselle programmi uusimat versiooni.",
    "Uuendusteabega faili ei leitud arendaja veebilehelt.",
    "Server %s ei ole kättesaadav.\r\rKontrollige internetiühendust ja\rproovige programmi hiljem "
    "uuesti uuendada.",
    "Uuendamine ei ole lõpetatud.\rKas soovite uuendamise katkestada?",
    "Faili %s ei leitud või see pole kättesaadav.\r\rKas jätta see fail vahele ja jätkata "
    "uuendamist?",
    "Juurdepääs kaugfailile \"%s\" on kaitstud parooliga.\n\nUuendamise jätkamiseks sisestage oma "
    "kasutajanimi ja parool (saadud pärast registreerimist).",
    "Ühendus serveriga katkes.\r\rTaastage ühendus ja proovige\rprogrammi hiljem uuesti uuendada.",
    "Saadaval on selle programmi versioon %s.\r\rSee paigaldus ei saa end ise uuendada, sest selle "
    "kausta ei saa kirjutada. Paigaldage uus versioon paketihalduri abil või väljalasete lehelt.",
    "Uuendust ei õnnestunud paigaldada; alles on jäetud eelmine versioon.\r\r%s",
};
static_assert(std::size(Estonian) == utTextCount);

// Ukrainian
constexpr std::string_view Ukrainian[] = {
    "Майстер оновлення програми",
    "Завантаження файлів...",
    "Оновлення завершено!",
    "Поточний файл",
    "Усі файли",
    "Завантаження файлу з адреси",
    "Розмір файлу: %.1f КБ",
    "Швидкість передавання: %.1f КБ/с",
    "Залишилося приблизно: %d:%.2d:%.2d",
    "Завантаження %d з %d",
    "Оновлення %s успішно завершено.\r\rНатисніть кнопку OK, щоб перезапустити програму.",
    "Введіть пароль",
    "Ім'я користувача",
    "Пароль",
    "&Так",
    "&Ні",
    "&OK",
    "&Скасувати",
    "&Далі >",
    "&Пізніше",
    "Попередження",
    "Помилка",
    "Підготовка. . .",
    "Вийшла нова версія %s.\n%s\nОновити вашу версію до найновішої?",
    "Новішої версії не знайдено. Ви вже використовуєте\rнайновішу версію цієї програми.",
    "Файл з інформацією про оновлення не знайдено на сайті розробника.",
    "Сервер %s недоступний.\r\rПеревірте підключення до Інтернету і\rспробуйте оновити програму "
    "пізніше.",
    "Оновлення не завершено.\rПерервати оновлення?",
    "Файл %s не знайдено або він недоступний.\r\rПропустити цей файл і продовжити оновлення?",
    "Доступ до віддаленого файлу \"%s\" захищено паролем.\n\nВведіть ім'я користувача і пароль "
    "(отримані після реєстрації), щоб продовжити оновлення програми.",
    "З'єднання з сервером втрачено.\r\rВідновіть з'єднання і спробуйте\rоновити програму пізніше.",
    "Доступна версія %s цієї програми.\r\rЦя інсталяція не може оновитися сама, бо до її теки "
    "неможливо записувати. Встановіть нову версію через менеджер пакунків або зі сторінки "
    "випусків.",
    "Не вдалося встановити оновлення; збережено попередню версію.\r\r%s",
};
static_assert(std::size(Ukrainian) == utTextCount);

// Czech
constexpr std::string_view Czech[] = {
    "Průvodce aktualizací programu",
    "Stahování souborů...",
    "Aktualizace dokončena!",
    "Aktuální soubor",
    "Všechny soubory",
    "Stahování souboru z",
    "Velikost souboru: %.1f kB",
    "Přenosová rychlost: %.1f kB/s",
    "Odhadovaný zbývající čas: %d:%.2d:%.2d",
    "Stahování %d z %d",
    "Aktualizace programu %s byla úspěšně dokončena.\r\rStisknutím tlačítka OK program "
    "restartujete.",
    "Zadejte heslo",
    "Uživatelské jméno",
    "Heslo",
    "&Ano",
    "&Ne",
    "&OK",
    "&Storno",
    "&Další >",
    "&Později",
    "Upozornění",
    "Chyba",
    "Příprava. . .",
    "Byla vydána novější verze programu %s.\n%s\nChcete aktualizovat svou verzi na nejnovější?",
    "Novější verze nebyla nalezena. Již používáte\rnejnovější verzi tohoto programu.",
    "Soubor s informacemi o aktualizaci nebyl na stránkách vývojáře nalezen.",
    "Server %s je nedostupný.\r\rZkontrolujte připojení k internetu a\rzkuste program aktualizovat "
    "později.",
    "Aktualizace není dokončena.\rChcete aktualizaci přerušit?",
    "Soubor %s nebyl nalezen nebo není přístupný.\r\rPřeskočit tento soubor a pokračovat v "
    "aktualizaci?",
    "Přístup ke vzdálenému souboru \"%s\" je chráněn heslem.\n\nPro pokračování v aktualizaci "
    "zadejte své uživatelské jméno a heslo (obdržené po registraci).",
    "Spojení se vzdáleným serverem bylo ztraceno.\r\rObnovte připojení a zkuste\rprogram "
    "aktualizovat později.",
    "Je k dispozici verze %s tohoto programu.\r\rTato instalace se nemůže sama aktualizovat, "
    "protože do její složky nelze zapisovat. Nainstalujte novou verzi pomocí správce balíčků nebo "
    "ze stránky s vydáními.",
    "Aktualizaci se nepodařilo nainstalovat; předchozí verze byla zachována.\r\r%s",
};
static_assert(std::size(Czech) == utTextCount);

// Hungarian
constexpr std::string_view Hungarian[] = {
    "Programfrissítő varázsló",
    "Fájlok letöltése...",
    "A frissítés befejeződött!",
    "Aktuális fájl",
    "Összes fájl",
    "Fájl letöltése innen:",
    "Fájlméret: %.1f KB",
    "Átviteli sebesség: %.1f KB/s",
    "Becsült hátralévő idő: %d:%.2d:%.2d",
    "Letöltés: %d / %d",
    "A(z) %s frissítése sikeresen befejeződött.\r\rA program újraindításához kattintson az OK "
    "gombra.",
    "Jelszó megadása",
    "Felhasználónév",
    "Jelszó",
    "&Igen",
    "&Nem",
    "&OK",
    "&Mégse",
    "&Tovább >",
    "&Később",
    "Figyelmeztetés",
    "Hiba",
    "Előkészítés. . .",
    "Megjelent a(z) %s újabb verziója.\n%s\nSzeretné frissíteni a legújabb verzióra?",
    "Nem található újabb verzió. Ön már\ra program legújabb verzióját használja.",
    "A frissítési információkat tartalmazó fájl nem található a fejlesztő webhelyén.",
    "A(z) %s kiszolgáló nem érhető el.\r\rEllenőrizze az internetkapcsolatot, és\rpróbálja meg "
    "később újra a frissítést.",
    "A frissítés nem fejeződött be.\rMegszakítja a frissítést?",
    "A(z) %s fájl nem található vagy nem érhető el.\r\rKihagyja ezt a fájlt, és folytatja a "
    "frissítést?",
    "A(z) \"%s\" távoli fájl elérése jelszóval védett.\n\nA frissítés folytatásához adja meg a "
    "felhasználónevét és a jelszavát (ezeket a regisztráció után kapta meg).",
    "Megszakadt a kapcsolat a távoli kiszolgálóval.\r\rÁllítsa helyre a kapcsolatot, és próbálja "
    "meg\rkésőbb újra a frissítést.",
    "A program %s verziója elérhető.\r\rEz a telepítés nem tudja frissíteni önmagát, mert a "
    "mappája nem írható. Telepítse az új verziót a csomagkezelővel vagy a kiadási oldalról.",
    "A frissítést nem sikerült telepíteni; az előző verzió megmaradt.\r\r%s",
};
static_assert(std::size(Hungarian) == utTextCount);

// Romanian
constexpr std::string_view Romanian[] = {
    "Asistent de actualizare a programului",
    "Se descarcă fișierele...",
    "Actualizare finalizată!",
    "Fișierul curent",
    "Toate fișierele",
    "Se descarcă fișierul de la",
    "Dimensiunea fișierului: %.1f KB",
    "Viteza de transfer: %.1f KB/s",
    "Timp rămas estimat: %d:%.2d:%.2d",
    "Se descarcă %d din %d",
    "Actualizarea programului %s s-a încheiat cu succes.\r\rApăsați butonul OK pentru a reporni "
    "programul.",
    "Introduceți parola",
    "Nume utilizator",
    "Parolă",
    "&Da",
    "&Nu",
    "&OK",
    "&Anulare",
    "Î&nainte >",
    "Mai &târziu",
    "Avertisment",
    "Eroare",
    "Pregătire. . .",
    "A fost lansată o versiune nouă a programului %s.\n%s\nDoriți să actualizați la cea mai "
    "recentă versiune?",
    "Nu s-a găsit o versiune mai nouă. Folosiți deja\rcea mai recentă versiune a acestui program.",
    "Fișierul cu informațiile de actualizare nu a fost găsit pe site-ul dezvoltatorului.",
    "Serverul %s nu poate fi accesat.\r\rVerificați conexiunea la internet și\rîncercați "
    "actualizarea mai târziu.",
    "Actualizarea nu s-a încheiat.\rDoriți să renunțați la actualizare?",
    "Fișierul %s nu a fost găsit sau nu este accesibil.\r\rSăriți peste acest fișier și continuați "
    "actualizarea?",
    "Accesul la fișierul de la distanță \"%s\" este protejat prin parolă.\n\nIntroduceți numele de "
    "utilizator și parola (primite după înregistrare) pentru a continua actualizarea.",
    "Conexiunea cu serverul a fost pierdută.\r\rRestabiliți conexiunea și încercați\ractualizarea "
    "mai târziu.",
    "Versiunea %s a acestui program este disponibilă.\r\rAceastă instalare nu se poate actualiza "
    "singură, deoarece în dosarul ei nu se poate scrie. Instalați versiunea nouă cu managerul de "
    "pachete sau de pe pagina de versiuni.",
    "Actualizarea nu a putut fi instalată; versiunea anterioară a fost păstrată.\r\r%s",
};
static_assert(std::size(Romanian) == utTextCount);

// Catalan
constexpr std::string_view Catalan[] = {
    "Assistent d'actualització",
    "S'estan baixant els fitxers...",
    "Actualització completada!",
    "Fitxer actual",
    "Tots els fitxers",
    "S'està baixant el fitxer de",
    "Mida del fitxer: %.1f KB",
    "Velocitat de transferència: %.1f KB/s",
    "Temps restant estimat: %d:%.2d:%.2d",
    "S'està baixant %d de %d",
    "L'actualització de %s s'ha completat correctament.\r\rPremeu el botó D'acord per reiniciar el "
    "programa.",
    "Introduïu la contrasenya",
    "Nom d'usuari",
    "Contrasenya",
    "&Sí",
    "&No",
    "&D'acord",
    "&Cancel·la",
    "&Següent >",
    "Més &tard",
    "Avís",
    "Error",
    "S'està preparant. . .",
    "S'ha publicat una versió nova de %s.\n%s\nVoleu actualitzar la vostra versió a la més recent?",
    "No s'ha trobat cap versió més nova. Ja esteu utilitzant\rla versió més recent d'aquest "
    "programa.",
    "No s'ha trobat al lloc del desenvolupador el fitxer amb la informació d'actualització.",
    "No es pot accedir al servidor %s.\r\rComproveu la connexió a Internet i\rtorneu a intentar "
    "l'actualització més tard.",
    "L'actualització no s'ha completat.\rVoleu cancel·lar l'actualització?",
    "No s'ha trobat el fitxer %s o no és accessible.\r\rVoleu ometre aquest fitxer i continuar "
    "l'actualització?",
    "L'accés al fitxer remot \"%s\" està protegit amb contrasenya.\n\nIntroduïu el nom d'usuari i "
    "la contrasenya (rebuts en registrar-vos) per continuar l'actualització.",
    "S'ha perdut la connexió amb el servidor remot.\r\rRestabliu la connexió i torneu a "
    "intentar\rl'actualització més tard.",
    "Hi ha disponible la versió %s d'aquest programa.\r\rAquesta instal·lació no es pot "
    "actualitzar sola perquè no es pot escriure a la seva carpeta. Instal·leu la versió nova amb "
    "el gestor de paquets o des de la pàgina de versions.",
    "No s'ha pogut instal·lar l'actualització; s'ha conservat la versió anterior.\r\r%s",
};
static_assert(std::size(Catalan) == utTextCount);

// Basque
constexpr std::string_view Basque[] = {
    "Programa eguneratzeko morroia",
    "Fitxategiak deskargatzen...",
    "Eguneratzea osatu da!",
    "Uneko fitxategia",
    "Fitxategi guztiak",
    "Fitxategia hemendik deskargatzen:",
    "Fitxategiaren tamaina: %.1f KB",
    "Transferentzia-abiadura: %.1f KB/s",
    "Geratzen den denbora, gutxi gorabehera: %d:%.2d:%.2d",
    "Deskargatzen: %d / %d",
    "%s behar bezala eguneratu da.\r\rSakatu Ados botoia programa berrabiarazteko.",
    "Sartu pasahitza",
    "Erabiltzaile-izena",
    "Pasahitza",
    "&Bai",
    "&Ez",
    "&Ados",
    "&Utzi",
    "&Hurrengoa >",
    "&Geroago",
    "Abisua",
    "Errorea",
    "Prestatzen. . .",
    "%s programaren bertsio berriago bat argitaratu da.\n%s\nZure bertsioa azkenera eguneratu nahi "
    "duzu?",
    "Ez da bertsio berriagorik aurkitu. Dagoeneko\rprograma honen azken bertsioa erabiltzen ari "
    "zara.",
    "Eguneratzearen informazioa duen fitxategia ez da aurkitu garatzailearen webgunean.",
    "%s ostalaria ez dago eskuragarri.\r\rEgiaztatu Interneteko konexioa eta\rsaiatu programa "
    "eguneratzen berriro geroago.",
    "Eguneratzea ez da osatu.\rEguneratzea bertan behera utzi nahi duzu?",
    "%s fitxategia ez da aurkitu edo ezin da atzitu.\r\rFitxategi hau saltatu eta eguneratzearekin "
    "jarraitu?",
    "\"%s\" urruneko fitxategia pasahitzez babestuta dago.\n\nSartu zure erabiltzaile-izena eta "
    "pasahitza (erregistratu ondoren jasoak) eguneratzearekin jarraitzeko.",
    "Urruneko zerbitzariarekiko konexioa galdu da.\r\rBerrezarri konexioa eta saiatu\rprograma "
    "eguneratzen berriro geroago.",
    "Programa honen %s bertsioa eskuragarri dago.\r\rInstalazio hau ezin da bere kabuz eguneratu, "
    "bere karpetan ezin delako idatzi. Instalatu bertsio berria pakete-kudeatzailearekin edo "
    "argitalpenen orritik.",
    "Ezin izan da eguneratzea instalatu; aurreko bertsioa mantendu da.\r\r%s",
};
static_assert(std::size(Basque) == utTextCount);

// Afrikaans
constexpr std::string_view Afrikaans[] = {
    "Programbywerkingsassistent",
    "Lêers word afgelaai...",
    "Bywerking voltooi!",
    "Huidige lêer",
    "Alle lêers",
    "Lêer word afgelaai vanaf",
    "Lêergrootte: %.1f KB",
    "Oordragspoed: %.1f KB/s",
    "Geskatte oorblywende tyd: %d:%.2d:%.2d",
    "Laai %d van %d af",
    "Die bywerking van %s is suksesvol voltooi.\r\rDruk die OK-knoppie om die program te herbegin.",
    "Voer wagwoord in",
    "Gebruikersnaam",
    "Wagwoord",
    "&Ja",
    "&Nee",
    "&OK",
    "&Kanselleer",
    "&Volgende >",
    "&Later",
    "Waarskuwing",
    "Fout",
    "Berei voor. . .",
    "'n Nuwer weergawe van %s is vrygestel.\n%s\nWil u u weergawe na die nuutste bywerk?",
    "Geen nuwer weergawe gevind nie. U gebruik reeds\rdie nuutste weergawe van hierdie program.",
    "Die lêer met bywerkingsinligting is nie op die ontwikkelaar se webwerf gevind nie.",
    "Gasheer %s is onbereikbaar.\r\rGaan u internetverbinding na en\rprobeer later weer om die "
    "program by te werk.",
    "Die bywerking is nie voltooi nie.\rWil u die bywerking staak?",
    "Lêer %s is nie gevind nie of is ontoeganklik.\r\rHierdie lêer oorslaan en met die bywerking "
    "voortgaan?",
    "Toegang tot die afgeleë lêer \"%s\" is met 'n wagwoord beskerm.\n\nVoer u gebruikersnaam en "
    "wagwoord in (ontvang ná registrasie) om met die bywerking voort te gaan.",
    "Verbinding met die bediener is verloor.\r\rHerstel die verbinding en probeer\rlater weer om "
    "die program by te werk.",
    "Weergawe %s van hierdie program is beskikbaar.\r\rHierdie installasie kan homself nie bywerk "
    "nie omdat daar nie in sy gids geskryf kan word nie. Installeer die nuwe weergawe met u "
    "pakketbestuurder of vanaf die vrystellingsblad.",
    "Die bywerking kon nie geïnstalleer word nie; die vorige weergawe is behou.\r\r%s",
};
static_assert(std::size(Afrikaans) == utTextCount);

// Traditional Chinese
constexpr std::string_view ChineseTraditional[] = {
    "軟體升級",
    "正在下載檔案...",
    "升級完成！",
    "目前的檔案",
    "全部檔案",
    "檔案下載來源",
    "檔案大小: %.1f KB",
    "傳輸速率: %.1f KB/s",
    "預估剩餘時間: %d:%.2d:%.2d",
    "正在下載第 %d 個，共 %d 個",
    "%s 已成功升級。\r\r請按 [確定] 重新啟動程式。",
    "請輸入密碼",
    "帳號",
    "密碼",
    "是(&Y)",
    "否(&N)",
    "確定(&O)",
    "取消(&C)",
    "下一步>(&N)",
    "稍後(&L)",
    "警告",
    "錯誤",
    "準備中. . .",
    "%s 已推出新版本。\n%s\n您要升級到最新版本嗎？",
    "找不到更新的版本。\r您目前使用的已是本程式的最新版本。",
    "在開發者的網站上找不到升級資訊檔案。",
    "無法連線到主機 %s。\r\r請檢查您的網際網路連線，\r稍後再嘗試升級本軟體。",
    "升級尚未完成。\r您確定要放棄升級嗎？",
    "找不到檔案 %s 或無法存取。\r\r要略過此檔案並繼續升級嗎？",
    "遠端檔案「%s」受密碼保護。\n\n請輸入您的帳號及密碼（註冊後取得）以繼續升級。",
    "與遠端伺服器的連線已中斷。\r\r請恢復連線，\r稍後再嘗試升級本軟體。",
    "本程式已有新版本 "
    "%s。\r\r本程式所在的資料夾無法寫入，無法自動升級。請透過套件管理員或發佈頁面安裝新版本。",
    "升級未能完成，已保留原來的版本。\r\r%s",
};
static_assert(std::size(ChineseTraditional) == utTextCount);

// Simplified Chinese
constexpr std::string_view ChineseSimplified[] = {
    "软件升级",
    "文档下载中",
    "升级完成！",
    "当前的文档",
    "全部的文档",
    "文档下载源",
    "文档大小:%.1f Kb",
    "传输速率:%.1f Kb/s",
    "估计剩余时间: %d:%.2d:%.2d",
    "当前正在下载:%d of %d",
    "%s 已经升级完成，\r\r请按[确定]键重新启动程序",
    "请输入密码",
    "帐号",
    "密码",
    "是 (&Y)",
    "否 (&N)",
    "确定(&O)",
    "取消(&C)",
    "下一个>(&N)",
    "稍等一下(&L)",
    "警告",
    "错误",
    "准备中",
    "  %s已经有新版本推出，\n%s\n您要升级到新版本吗？",
    "没有发现新的版本，您目前已经是最新版本。",
    "在服务器中无法找到升级的相关信息。",
    "无法与服务器%s连接。\r\r请检查您的internet设定之后再进行升级操作。",
    "升级操作尚未完成，\r您确定要放弃升级吗？",
    "文档%s找不到或者发生错误，\r\r您要忽略这个文档并且继续升级操作吗？",
    "远端的文档\"%s\"被密码保护，\n\n请输入您的帐号及密码[注册用户]来继续进行升级操作。",
    "与远端服务器的连接中断，\r\r请重新连接后再进行升级操作。",
    "本程序已有新版本 "
    "%s。\r\r本程序所在的文件夹不可写，无法自动升级。请通过软件包管理器或发布页面安装新版本。",
    "升级未能完成，已保留原来的版本。\r\r%s",
};
static_assert(std::size(ChineseSimplified) == utTextCount);

// Indonesian
constexpr std::string_view Indonesian[] = {
    "Wisaya pembaruan aplikasi",
    "Mengunduh berkas...",
    "Pembaruan selesai!",
    "Berkas saat ini",
    "Semua berkas",
    "Mengunduh berkas dari",
    "Ukuran berkas: %.1f KB",
    "Kecepatan transfer: %.1f KB/s",
    "Perkiraan sisa waktu: %d:%.2d:%.2d",
    "Mengunduh %d dari %d",
    "Pembaruan %s telah berhasil diselesaikan.\r\rTekan tombol OK untuk memulai ulang program.",
    "Masukkan kata sandi",
    "Nama pengguna",
    "Kata sandi",
    "&Ya",
    "&Tidak",
    "&OK",
    "&Batal",
    "&Berikutnya >",
    "&Nanti",
    "Peringatan",
    "Kesalahan",
    "Menyiapkan. . .",
    "Versi baru %s telah dirilis.\n%s\nApakah Anda ingin memperbarui ke versi terbaru?",
    "Versi yang lebih baru tidak ditemukan. Anda sudah\rmenggunakan versi terbaru program ini.",
    "Berkas yang berisi informasi pembaruan tidak ditemukan di situs pengembang.",
    "Host %s tidak dapat dijangkau.\r\rPeriksa koneksi Internet Anda dan\rcoba perbarui perangkat "
    "lunak ini lagi nanti.",
    "Pembaruan belum selesai.\rApakah Anda ingin membatalkan pembaruan?",
    "Berkas %s tidak ditemukan atau tidak dapat diakses.\r\rLewati berkas ini dan lanjutkan "
    "pembaruan?",
    "Akses ke berkas jarak jauh \"%s\" dilindungi kata sandi.\n\nMasukkan nama pengguna dan kata "
    "sandi Anda (diterima setelah pendaftaran) untuk melanjutkan pembaruan.",
    "Koneksi dengan server jarak jauh terputus.\r\rPulihkan koneksi dan coba\rperbarui perangkat "
    "lunak ini lagi nanti.",
    "Versi %s program ini tersedia.\r\rInstalasi ini tidak dapat memperbarui dirinya sendiri "
    "karena foldernya tidak dapat ditulisi. Pasang versi baru melalui pengelola paket atau dari "
    "halaman rilis.",
    "Pembaruan tidak dapat dipasang; versi sebelumnya dipertahankan.\r\r%s",
};
static_assert(std::size(Indonesian) == utTextCount);

// Malay
constexpr std::string_view Malay[] = {
    "Wizard kemas kini aplikasi",
    "Memuat turun fail...",
    "Kemas kini selesai!",
    "Fail semasa",
    "Semua fail",
    "Memuat turun fail dari",
    "Saiz fail: %.1f KB",
    "Kadar pemindahan: %.1f KB/s",
    "Anggaran masa berbaki: %d:%.2d:%.2d",
    "Memuat turun %d daripada %d",
    "Kemas kini %s telah berjaya diselesaikan.\r\rTekan butang OK untuk memulakan semula program.",
    "Masukkan kata laluan",
    "Nama pengguna",
    "Kata laluan",
    "&Ya",
    "&Tidak",
    "&OK",
    "&Batal",
    "&Seterusnya >",
    "&Kemudian",
    "Amaran",
    "Ralat",
    "Menyediakan. . .",
    "Versi baharu %s telah dikeluarkan.\n%s\nAdakah anda mahu mengemas kini versi anda kepada yang "
    "terkini?",
    "Tiada versi yang lebih baharu ditemui. Anda sudah\rmenggunakan versi terkini program ini.",
    "Fail yang mengandungi maklumat kemas kini tidak ditemui di laman pembangun.",
    "Hos %s tidak dapat dicapai.\r\rSila semak sambungan Internet anda dan\rcuba kemas kini "
    "perisian ini sekali lagi kemudian.",
    "Kemas kini belum selesai.\rAdakah anda mahu membatalkan kemas kini?",
    "Fail %s tidak ditemui atau tidak boleh dicapai.\r\rLangkau fail ini dan teruskan kemas kini?",
    "Akses kepada fail jauh \"%s\" dilindungi kata laluan.\n\nSila masukkan nama pengguna dan kata "
    "laluan anda (diterima selepas pendaftaran) untuk meneruskan kemas kini.",
    "Sambungan dengan pelayan jauh terputus.\r\rSila pulihkan sambungan dan cuba\rkemas kini "
    "perisian ini sekali lagi kemudian.",
    "Versi %s program ini tersedia.\r\rPemasangan ini tidak boleh mengemas kini dirinya sendiri "
    "kerana foldernya tidak boleh ditulis. Sila pasang versi baharu melalui pengurus pakej atau "
    "dari halaman keluaran.",
    "Kemas kini tidak dapat dipasang; versi sebelumnya dikekalkan.\r\r%s",
};
static_assert(std::size(Malay) == utTextCount);

// Icelandic
constexpr std::string_view Icelandic[] = {
    "Uppfærsluálfur forrits",
    "Sæki skrár...",
    "Uppfærslu lokið!",
    "Núverandi skrá",
    "Allar skrár",
    "Sæki skrá frá",
    "Skráarstærð: %.1f KB",
    "Flutningshraði: %.1f KB/s",
    "Áætlaður tími eftir: %d:%.2d:%.2d",
    "Sæki %d af %d",
    "Uppfærslu á %s er lokið.\r\rSmelltu á Í lagi til að endurræsa forritið.",
    "Sláðu inn lykilorð",
    "Notandanafn",
    "Lykilorð",
    "&Já",
    "&Nei",
    "Í &lagi",
    "&Hætta við",
    "Á&fram >",
    "&Seinna",
    "Viðvörun",
    "Villa",
    "Undirbý. . .",
    "Ný útgáfa af %s er komin út.\n%s\nViltu uppfæra í nýjustu útgáfuna?",
    "Engin nýrri útgáfa fannst. Þú ert þegar að nota\rnýjustu útgáfu þessa forrits.",
    "Skráin með upplýsingum um uppfærslur fannst ekki á vefsvæði framleiðanda.",
    "Ekki næst samband við %s.\r\rAthugaðu nettenginguna og\rreyndu að uppfæra forritið aftur "
    "síðar.",
    "Uppfærslunni er ekki lokið.\rViltu hætta við uppfærsluna?",
    "Skráin %s fannst ekki eða er óaðgengileg.\r\rSleppa þessari skrá og halda uppfærslunni áfram?",
    "Aðgangur að fjartengdu skránni \"%s\" er varinn með lykilorði.\n\nSláðu inn notandanafn og "
    "lykilorð (sem þú fékkst við skráningu) til að halda uppfærslunni áfram.",
    "Tengingin við netþjóninn rofnaði.\r\rKomdu tengingunni á aftur og reyndu\rað uppfæra forritið "
    "aftur síðar.",
    "Útgáfa %s af þessu forriti er fáanleg.\r\rÞessi uppsetning getur ekki uppfært sig sjálf því "
    "ekki er hægt að skrifa í möppu hennar. Settu nýju útgáfuna upp með pakkastjóranum eða af "
    "útgáfusíðunni.",
    "Ekki tókst að setja uppfærsluna upp; fyrri útgáfa er óbreytt.\r\r%s",
};
static_assert(std::size(Icelandic) == utTextCount);

constexpr int LanguageCount = static_cast<int>(TauUpdaterLanguage::wlIcelandic);

// Indexed by TauUpdaterLanguage - 1.
constexpr std::array<const std::string_view*, LanguageCount> Columns = {
    English,
    Russian,
    German,
    French,
    Spanish,
    Portuguese,
    PortugueseBrazilian,
    Italian,
    Dutch,
    Danish,
    Swedish,
    Finnish,
    Estonian,
    Ukrainian,
    Czech,
    Hungarian,
    Romanian,
    Catalan,
    Basque,
    Afrikaans,
    ChineseTraditional,
    ChineseSimplified,
    Indonesian,
    Malay,
    Icelandic,
};

struct TLanguageCode {
    std::string_view Code;
    TauUpdaterLanguage Language;
};

// ISO 639-1 codes; Chinese and Portuguese also depend on the territory.
constexpr std::array<TLanguageCode, 23> LanguageCodes = {{
    {"en", TauUpdaterLanguage::wlEnglish},    {"ru", TauUpdaterLanguage::wlRussian},
    {"de", TauUpdaterLanguage::wlGerman},     {"fr", TauUpdaterLanguage::wlFrench},
    {"es", TauUpdaterLanguage::wlSpanish},    {"pt", TauUpdaterLanguage::wlPortuguese},
    {"it", TauUpdaterLanguage::wlItalian},    {"nl", TauUpdaterLanguage::wlDutch},
    {"da", TauUpdaterLanguage::wlDanish},     {"sv", TauUpdaterLanguage::wlSwedish},
    {"fi", TauUpdaterLanguage::wlFinnish},    {"et", TauUpdaterLanguage::wlEstonian},
    {"uk", TauUpdaterLanguage::wlUkrainian},  {"cs", TauUpdaterLanguage::wlCzech},
    {"hu", TauUpdaterLanguage::wlHungarian},  {"ro", TauUpdaterLanguage::wlRomanian},
    {"ca", TauUpdaterLanguage::wlCatalan},    {"eu", TauUpdaterLanguage::wlBasque},
    {"af", TauUpdaterLanguage::wlAfrikaans},  {"zh", TauUpdaterLanguage::wlChineseSimplified},
    {"id", TauUpdaterLanguage::wlIndonesian}, {"ms", TauUpdaterLanguage::wlMalay},
    {"is", TauUpdaterLanguage::wlIcelandic},
}};

struct TChosenTexts {
    TauUpdaterLanguage Language = TauUpdaterLanguage::wlAuto;
    std::array<std::string, utTextCount> Texts;
};

// The chosen column in the code page: converted once per choice, not per lookup.
std::array<std::string, utTextCount> ConvertColumn(TauUpdaterLanguage language) {
    if (language == TauUpdaterLanguage::wlAuto) language = SystemLanguage();
    // A value from outside the enumeration (a damaged setting) must not index past the table.
    if (static_cast<int>(language) < 1 || static_cast<int>(language) > LanguageCount)
        language = TauUpdaterLanguage::wlEnglish;
    const std::string_view* column = Columns[static_cast<size_t>(language) - 1];
    std::array<std::string, utTextCount> texts;
    for (int entry = 0; entry < utTextCount; ++entry)
        texts[entry] = platform::Utf8ToCodePage(column[entry], platform::TConversion::Strict);
    return texts;
}

// Starts as if wlAuto had been chosen; the first lookup may come before any choice.
TChosenTexts& Chosen() {
    static TChosenTexts chosen{TauUpdaterLanguage::wlAuto,
                               ConvertColumn(TauUpdaterLanguage::wlAuto)};
    return chosen;
}

} // namespace

TauUpdaterLanguage LanguageFromLocale(std::string_view localeName) {
    // language[_territory][.codeset][@modifier]
    const size_t languageEnd = localeName.find_first_of("_.@");
    const std::string language = LowerCase(localeName.substr(0, languageEnd));
    std::string territory;
    if (languageEnd != std::string_view::npos && localeName[languageEnd] == '_') {
        const std::string_view rest = localeName.substr(languageEnd + 1);
        territory = UpperCase(rest.substr(0, rest.find_first_of(".@")));
    }
    if (language == "zh" && (territory == "TW" || territory == "HK" || territory == "MO"))
        return TauUpdaterLanguage::wlChineseTraditional;
    if (language == "pt" && territory == "BR") return TauUpdaterLanguage::wlPortugueseBrazilian;
    for (const TLanguageCode& code : LanguageCodes)
        if (code.Code == language) return code.Language;
    return TauUpdaterLanguage::wlEnglish;
}

TauUpdaterLanguage SystemLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return LanguageFromLocale(value);
    }
    return TauUpdaterLanguage::wlEnglish;
}

void SetUpdaterLanguage(TauUpdaterLanguage language) {
    TChosenTexts& chosen = Chosen();
    chosen.Texts = ConvertColumn(language);
    chosen.Language = language;
}

TauUpdaterLanguage UpdaterLanguage() {
    return Chosen().Language;
}

const std::string& UpdaterText(TUpdaterText entry) {
    static const std::string none;
    if (entry < 0 || entry >= utTextCount) return none;
    return Chosen().Texts[entry];
}
