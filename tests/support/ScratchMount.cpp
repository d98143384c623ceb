#include "ScratchMount.h"
