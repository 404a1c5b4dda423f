#include "tools/FilterList.h"

#include <uuids.h>

#include "framework/Utf8.h"
#include "platform/InprocServer.h"
#include "platform/RegistryFile.h"
#include "platform/runtime/FilterMapperStore.h"
#include "tools/MediaTypeNames.h"
#include "tools/ReportWriter.h"

namespace
{
const size_t kLabelWidth = 18; // "connects to filter"

ReportField BoolField(const char* title, const char* key, bool value)
{
    return {title, value ? "yes" : "no", {{key, ReportValue::Bool(value)}}};
}

ReportField MediaTypeField(const std::pair<GUID, GUID>& type)
{
    const ReportField major = GuidField("", "major_type", "major_type_name", type.first);
    const ReportField minor = GuidField("", "subtype", "subtype_name", type.second);
    ReportField field{"media type", major.text + " / " + minor.text, major.entries};
    field.entries.insert(field.entries.end(), minor.entries.begin(), minor.entries.end());
    return field;
}

std::vector<ReportField> FilterFields(const RegisteredFilter& filter)
{
    std::wstring module;
    std::string problem;
    (void)FindInprocServer(filter.clsid, module, &problem); // none: shown empty
    return {TextField("filter", "name", WideToUtf8(filter.name)), TextField("clsid", "clsid", GuidString(filter.clsid)),
            HexField("merit", "merit", filter.merit, 8), TextField("module", "module", WideToUtf8(module))};
}

std::vector<ReportField> PinFields(const RegisteredPin& pin)
{
    return {TextField("pin", "name", WideToUtf8(pin.name)),
            {"direction", pin.output ? "output" : "input", {{"output", ReportValue::Bool(pin.output)}}},
            BoolField("rendered", "rendered", pin.rendered),
            BoolField("zero", "zero", pin.zero),
            BoolField("many", "many", pin.many),
            GuidField("connects to filter", "connects_to_filter", "connects_to_filter_name", pin.connectsToFilter),
            TextField("connects to pin", "connects_to_pin", WideToUtf8(pin.connectsToPin))};
}

void WriteText(const std::vector<RegisteredFilter>& filters, std::ostream& out)
{
    const char* separator = "";
    for (const RegisteredFilter& filter : filters)
    {
        out << separator;
        WriteTextFields(FilterFields(filter), kLabelWidth, out);
        for (const RegisteredPin& pin : filter.pins)
        {
            std::vector<ReportField> fields = PinFields(pin);
            for (const auto& type : pin.types)
                fields.push_back(MediaTypeField(type));
            out << '\n';
            WriteTextFields(fields, kLabelWidth, out);
        }
        separator = "\n";
    }
}

void WriteJson(const std::vector<RegisteredFilter>& filters, std::ostream& out)
{
    out << '[';
    for (size_t f = 0; f < filters.size(); ++f)
    {
        out << (f ? ",{" : "{");
        WriteJsonMembers(FilterFields(filters[f]), out);
        out << ",\"pins\":[";
        for (size_t p = 0; p < filters[f].pins.size(); ++p)
        {
            const RegisteredPin& pin = filters[f].pins[p];
            out << (p ? ",{" : "{");
            WriteJsonMembers(PinFields(pin), out);
            out << ",\"media_types\":[";
            for (size_t t = 0; t < pin.types.size(); ++t)
            {
                out << (t ? ",{" : "{");
                WriteJsonMembers({MediaTypeField(pin.types[t])}, out);
                out << '}';
            }
            out << "]}";
        }
        out << "]}";
    }
    out << "]\n";
}
} // namespace

int ListFilters(bool json, std::ostream& out, std::ostream& err)
{
    std::vector<RegisteredFilter> filters;
    std::string problem;
    if (ReadFilterEntries(CLSID_LegacyAmFilterCategory, filters, &problem) != ERROR_SUCCESS)
    {
        err << "qtgraph: " << problem << '\n';
        return 1;
    }
    if (json)
        WriteJson(filters, out);
    else if (filters.empty())
        out << "no filters are registered (registry file " << CRegistryFile::Path() << ")\n";
    else
        WriteText(filters, out);
    return 0;
}
