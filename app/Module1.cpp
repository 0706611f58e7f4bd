#include "app/Module1.h"

Module1Vars Module1;
