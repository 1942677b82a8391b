// Everything of the messaging subsystem in one include: data shapes, interfaces, functions,
// and the registry flush that makes profile changes durable.
#pragma once

#include "platform/base/Registry.h"
#include "platform/mapi/MapiApi.h"
#include "platform/mapi/MapiDefs.h"
#include "platform/mapi/MapiInterfaces.h"
