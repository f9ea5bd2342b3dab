// The stand-in Tag suite.
#include <algorithm>
#include <cstring>

#include "sim/HostSuites.h"
#include "sim/Notifications.h"
#include "sim/SuiteSupport.h"

namespace sim {

namespace {

using namespace support;

const Tag* FindTag(const Art* art, const char* name) {
  const std::vector<Tag>& tags = art->Extras().tags;
  auto found = std::find_if(tags.begin(), tags.end(), [name](const Tag& tag) { return tag.name == name; });
  return found == tags.end() ? nullptr : &*found;
}

// The tag of the name, made (and typed) on first use.
Tag& Touch(Art* art, const char* name, const char* type) {
  std::vector<Tag>& tags = art->EditExtras().tags;
  auto found = std::find_if(tags.begin(), tags.end(), [name](const Tag& tag) { return tag.name == name; });
  Tag& tag = found != tags.end() ? *found : tags.emplace_back(Tag{name, type, {}, 0, false});
  tag.type = type;
  return tag;
}

AIErr CountTags(AIArtHandle handle, int32_t* count) {
  SIM_REQUIRE(count, kBadParameterErr);
  SIM_ART(art, handle);
  *count = static_cast<int32_t>(art->Extras().tags.size());
  return kNoErr;
}

AIErr GetNthTagName(AIArtHandle handle, int32_t index, const char** name) {
  SIM_REQUIRE(name, kBadParameterErr);
  SIM_ART(art, handle);
  SIM_REQUIRE(index >= 0 && static_cast<size_t>(index) < art->Extras().tags.size(), kIndexOutOfRangeErr);
  *name = art->Extras().tags[static_cast<size_t>(index)].name.c_str();
  return kNoErr;
}

// The named tag of the type; type null accepts any.
AIErr Lookup(AIArtHandle handle, const char* name, const char* type, const Tag** tag) {
  SIM_REQUIRE(name, kBadParameterErr);
  SIM_ART(art, handle);
  *tag = FindTag(art, name);
  SIM_REQUIRE(*tag, kNoSuchKeyErr);
  SIM_REQUIRE(!type || (*tag)->type == type, kWrongEntryTypeErr);
  return kNoErr;
}

AIErr GetTagType(AIArtHandle art, const char* name, const char** type) {
  SIM_REQUIRE(type, kBadParameterErr);
  const Tag* tag = nullptr;
  if (const AIErr error = Lookup(art, name, nullptr, &tag)) return error;
  *type = tag->type.c_str();
  return kNoErr;
}

AIErr GetTagString(AIArtHandle art, const char* name, const char** value) {
  SIM_REQUIRE(value, kBadParameterErr);
  const Tag* tag = nullptr;
  if (const AIErr error = Lookup(art, name, kTagString, &tag)) return error;
  *value = tag->text.c_str();
  return kNoErr;
}

AIErr SetTagString(AIArtHandle handle, const char* name, const char* value) {
  SIM_REQUIRE(name && value, kBadParameterErr);
  SIM_ART(art, handle);
  Touch(art, name, kTagString).text = value;
  PostDocumentChanged();
  return kNoErr;
}

AIErr GetTagReal(AIArtHandle art, const char* name, AIReal* value) {
  SIM_REQUIRE(value, kBadParameterErr);
  const Tag* tag = nullptr;
  if (const AIErr error = Lookup(art, name, kTagReal, &tag)) return error;
  *value = static_cast<AIReal>(tag->real);
  return kNoErr;
}

AIErr SetTagReal(AIArtHandle handle, const char* name, AIReal value) {
  SIM_REQUIRE(name, kBadParameterErr);
  SIM_ART(art, handle);
  Touch(art, name, kTagReal).real = value;
  PostDocumentChanged();
  return kNoErr;
}

AIErr GetTagBoolean(AIArtHandle art, const char* name, AIBoolean* value) {
  SIM_REQUIRE(value, kBadParameterErr);
  const Tag* tag = nullptr;
  if (const AIErr error = Lookup(art, name, kTagBoolean, &tag)) return error;
  *value = tag->boolean;
  return kNoErr;
}

AIErr SetTagBoolean(AIArtHandle handle, const char* name, AIBoolean value) {
  SIM_REQUIRE(name, kBadParameterErr);
  SIM_ART(art, handle);
  Touch(art, name, kTagBoolean).boolean = value != 0;
  PostDocumentChanged();
  return kNoErr;
}

AIErr DeleteTag(AIArtHandle handle, const char* name) {
  SIM_REQUIRE(name, kBadParameterErr);
  SIM_ART(art, handle);
  if (!FindTag(art, name)) return kNoSuchKeyErr;
  std::vector<Tag>& tags = art->EditExtras().tags;
  tags.erase(std::remove_if(tags.begin(), tags.end(), [name](const Tag& tag) { return tag.name == name; }), tags.end());
  PostDocumentChanged();
  return kNoErr;
}

const AITagSuite tagSuite = {CountTags,  GetNthTagName, GetTagType,    GetTagString,  SetTagString,
                             GetTagReal, SetTagReal,    GetTagBoolean, SetTagBoolean, DeleteTag};

}  // namespace

const AITagSuite* TagSuite() { return &tagSuite; }

}  // namespace sim
