#include "OptionsStore.h"
