#pragma once
// The findings of one check run, printed as "file:line: error: message" (or "warning:"), the form
// compilers use, so editors and CI logs can jump to the place.
#include <cstdio>
#include <string>
#include <vector>

namespace tessaly::skincheck {

enum class Severity { kWarning, kError };

struct Finding {
    std::string file;
    int line = 1;
    Severity severity = Severity::kError;
    std::string message;
};

class CheckReport {
public:
    void Error(const std::string& file, int line, std::string message)
    {
        Add(file, line, Severity::kError, std::move(message));
    }
    void Warning(const std::string& file, int line, std::string message)
    {
        Add(file, line, Severity::kWarning, std::move(message));
    }
    void Add(const std::string& file, int line, Severity severity, std::string message)
    {
        m_findings.push_back({file, line < 1 ? 1 : line, severity, std::move(message)});
    }

    int Errors() const { return Count(Severity::kError); }
    int Warnings() const { return Count(Severity::kWarning); }
    const std::vector<Finding>& Findings() const { return m_findings; }

    void Print(std::FILE* out) const
    {
        for (const Finding& f : m_findings)
            std::fprintf(out, "%s:%d: %s: %s\n", f.file.c_str(), f.line,
                         f.severity == Severity::kError ? "error" : "warning", f.message.c_str());
    }

private:
    int Count(Severity severity) const
    {
        int n = 0;
        for (const Finding& f : m_findings)
            n += f.severity == severity ? 1 : 0;
        return n;
    }

    std::vector<Finding> m_findings;
};

}  // namespace tessaly::skincheck
