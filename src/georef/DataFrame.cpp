#include "georef/DataFrame.h"

#include <string>

#include "georef/DataFrameText.h"
#include "georef/GeorefLayers.h"
#include "georef/GeorefPointText.h"

bool ReadDataFrame(DataFrameParams& params) {
  AIArtHandle text = nullptr;
  if (!FindLayerPointText(kDataFrameLayerTitle, text)) return false;
  std::string contents;
  if (ReadPointTextContents(text, contents) != kNoErr) return false;
  DataFrameParams read;
  if (!ParseDataFrameText(contents, read)) return false;
  ArtboardPoint anchor;
  if (ReadPointTextAnchor(text, anchor) != kNoErr) return false;
  read.anchorX = anchor.x;
  read.anchorY = anchor.y;
  params = read;
  return true;
}

AIErr WriteDataFrame(const DataFrameParams& params) {
  const std::string contents = FormatDataFrameText(params);
  AILayerHandle layer = nullptr;
  if (AIErr err = FindLayerByTitle(kDataFrameLayerTitle, layer)) return err;
  if (layer) return kNoErr;  // the first data frame stays the document's georeference
  if (AIErr err = InsertTitledLayer(kPlaceAboveAll, kDataFrameLayerTitle, layer)) return err;
  // A grey note on the artboard.
  const PointTextStyle style{AIColor::Four(0, 0, 0, 0.5f)};
  return NewLayerPointText(layer, {params.anchorX, params.anchorY}, contents, style);
}
