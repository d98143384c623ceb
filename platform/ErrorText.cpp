#include "ErrorText.h"
