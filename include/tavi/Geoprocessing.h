// The geoprocessing interfaces in one include: messages, values, data types, domains, names, the catalogue, the
// host's string array and type texts, environment settings, parameters, and XML.
#pragma once

#include "tavi/DEDataTypes.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPComposite.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPEnvironment.h"
#include "tavi/GPExpressions.h"
#include "tavi/GPFieldInfo.h"
#include "tavi/GPFieldMapping.h"
#include "tavi/GPKeyValue.h"
#include "tavi/GPLayer.h"
#include "tavi/GPMap.h"
#include "tavi/GPMessage.h"
#include "tavi/GPParameter.h"
#include "tavi/GPRandom.h"
#include "tavi/GPScalar.h"
#include "tavi/GPValue.h"
#include "tavi/StringArray.h"
#include "tavi/TypeConverter.h"
#include "tavi/Xml.h"
