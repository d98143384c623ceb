#include "CoreErrors.h"
