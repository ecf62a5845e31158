#include "platform/HttpClient.h"
