#include "FaultySystemCalls.h"
