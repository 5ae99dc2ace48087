// The geoprocessing interfaces in one include: messages, values, data types, domains, names and XML.
#pragma once

#include "tavi/GPMessage.h"
#include "tavi/GPValue.h"
#include "tavi/Xml.h"
