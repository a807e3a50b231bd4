#include "dmclient/dm_factory.h"
