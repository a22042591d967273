// The pages' shared declarations; their meta-object code is built with this file.
#include "settings/ui/setting_pages.h"
