#include "DateText.h"
