// qtgraph filters: the filters the filter mapper has registered (the native
// registry file), each with its class identifier, merit, module and pins,
// and each pin's media types in the order registered.
#pragma once

#include <ostream>

// Text: per filter a block of "title  value" lines, then a block per pin,
// one "media type" line per type; blocks separated by blank lines. JSON: an
// array of {"name","clsid","merit","module","pins":[{"name","output",
// "rendered","zero","many","connects_to_filter","connects_to_pin",
// "media_types":[{"major_type","major_type_name","subtype","subtype_name"}]}]}.
// 1, with the registry file's problem on err, when it does not read.
int ListFilters(bool json, std::ostream& out, std::ostream& err);
