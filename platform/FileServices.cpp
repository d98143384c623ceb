#include "FileServices.h"
