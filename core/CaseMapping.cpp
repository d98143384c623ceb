#include "CaseMapping.h"
