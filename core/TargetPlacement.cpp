#include "TargetPlacement.h"
