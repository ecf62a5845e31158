# Sourced by the bench scripts: starts a throwaway MariaDB server unless one runs
# (QUORVEL_TEST_DB_PORT set by scripts/test-db.sh), sets `client` to the mariadb client's
# options, and fill_orders TABLE ROWS creates TABLE with ROWS rows of 10 mixed columns.
if [ -z "${QUORVEL_TEST_DB_PORT:-}" ]; then
  eval "$(scripts/test-db.sh start)"
  trap '"$root"/scripts/test-db.sh stop' EXIT
fi
client=(--no-defaults --socket="$QUORVEL_TEST_DB_SOCKET" -u"$QUORVEL_TEST_DB_USER" -p"$QUORVEL_TEST_DB_PASSWORD")
fill_orders() {
  mariadb "${client[@]}" --default-character-set=utf8mb4 "$QUORVEL_TEST_DB_NAME" <<SQL
DROP TABLE IF EXISTS $1;
CREATE TABLE $1 (
  id int PRIMARY KEY, code varchar(20), customer varchar(50), quantity int, price decimal(10,2),
  ratio double, ordered_at datetime, shipped tinyint, note varchar(200), amount bigint);
INSERT INTO $1 SELECT seq, CONCAT('ORD-', LPAD(seq, 8, '0')),
  IF(seq % 3 = 0, CONCAT('客户', seq), CONCAT('Customer O''Brien ', seq)), seq % 1000,
  (seq % 100000) / 100, seq / 7, '2024-01-01 00:00:00' + INTERVAL seq SECOND, seq % 2,
  IF(seq % 5 = 0, NULL, REPEAT('note \\\\ text ', 1 + seq % 4)), seq * 1000003
FROM seq_1_to_$2;
SQL
}
# fill_readings TABLE ROWS: ROWS rows of the kinds fetched as fixed-size values and bytes:
# floats, doubles, bits, years, binary, with NULLs in every third row.
fill_readings() {
  mariadb "${client[@]}" "$QUORVEL_TEST_DB_NAME" <<SQL
DROP TABLE IF EXISTS $1;
CREATE TABLE $1 (
  id int PRIMARY KEY, sensor smallint, value float, mean double, ok bit(1), flags bit(8),
  yr year, raw varbinary(16), digest binary(8), taken timestamp(3) NULL);
INSERT INTO $1 SELECT seq, seq % 500, IF(seq % 3 = 0, NULL, seq / 7), seq / 13, IF(seq % 3 = 1, NULL, seq % 2),
  seq % 256, 1901 + seq % 255, IF(seq % 3 = 2, NULL, UNHEX(CONCAT(LPAD(HEX(seq), 8, '0'), '005C27FF'))),
  UNHEX(LPAD(HEX(seq * 2654435761), 16, '0')), FROM_UNIXTIME(1000000000 + seq * 37.123)
FROM seq_1_to_$2;
SQL
}
