#include "tools/CheckCommand.h"

#include "tools/FailureWords.h"
#include "tools/MovieCheck.h"
#include "tools/ReportWriter.h"

namespace
{
// "1 error", "2 warnings".
std::string Counted(size_t count, const char* what)
{
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}
} // namespace

int CheckCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool)
{
    std::vector<Finding> findings;
    const HRESULT hr = CheckMovieFile(options.file, &findings);
    if (FAILED(hr))
    {
        err << "qtgraph: cannot open " << options.file << ": HRESULT " << HresultText(hr) << ": " << ResultWords(hr)
            << '\n';
        return 2;
    }
    const size_t errors = FindingsOf(findings, Severity::Error).size();
    const size_t warnings = FindingsOf(findings, Severity::Warning).size();
    const size_t notes = findings.size() - errors - warnings;
    if (options.json)
    {
        out << "{\"file\":" << JsonQuote(options.file) << ",\"errors\":" << errors << ",\"warnings\":" << warnings
            << ",\"notes\":" << notes << ",\"findings\":[";
        for (size_t i = 0; i < findings.size(); ++i)
        {
            out << (i > 0 ? ",\n" : "\n");
            WriteFindingJson(findings[i], out);
        }
        out << (findings.empty() ? "]}\n" : "\n]}\n");
    }
    else
    {
        for (const Finding& finding : findings)
        {
            const std::string severity = SeverityName(SeverityOf(finding.kind));
            out << severity << std::string(9 - severity.size(), ' ') << FindingText(finding) << '\n';
        }
        out << (findings.empty() ? "no problems found\n"
                                 : Counted(errors, "error") + ", " + Counted(warnings, "warning") + ", " +
                                       Counted(notes, "note") + "\n");
    }
    return errors > 0 ? 2 : warnings > 0 ? 1 : 0;
}
