// The data frame kept in the document: a layer titled "Kartzmap DataFrame"
// whose group holds one point text anchored at the anchor point, with the
// parameter string as its text.
#pragma once

#include "georef/DataFrameParams.h"
#include "host/HostTypes.h"

// True when the document holds a valid data frame; `params` is filled only then.
bool ReadDataFrame(DataFrameParams& params);

// Creates the data frame layer and its text; leaves an existing data frame
// alone (and returns 0). The first host error ends it and is returned.
AIErr WriteDataFrame(const DataFrameParams& params);
