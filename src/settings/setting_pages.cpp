// The pages' shared declarations; their meta-object code is built with this file.
#include "settings/setting_pages.h"
