#include "NamingRule.h"
