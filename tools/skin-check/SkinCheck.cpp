// tessaly-skin-check CONFIG_DIR [--werror]
// Reads a configuration folder (VomoLoginCfg.xml, the files it names, orvane.cfg, Parvex.cfg) the way
// the library does and reports what would go wrong or be ignored silently, as
// "file:line: error: message" or "file:line: warning: message".
// Exit status: 0 no errors (and no warnings with --werror), 1 problems found, 2 bad arguments.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/SAXParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/SecurityManager.hpp>

#include "CheckContext.h"
#include "IniChecks.h"
#include "SectionChecks.h"
#include "config/CXMLDocument.h"
#include "config/ConfigSection.h"
#include "support/WideText.h"

namespace {

using namespace tessaly;
using namespace tessaly::skincheck;

// Records the first error of a parse, with its line.
class FirstError final : public xercesc::HandlerBase {
public:
    void error(const xercesc::SAXParseException& e) override { Keep(e); }
    void fatalError(const xercesc::SAXParseException& e) override { Keep(e); }
    int line = 1;
    std::string message = "the file is not well-formed XML";
    bool found = false;

private:
    void Keep(const xercesc::SAXParseException& e)
    {
        if (found)
            return;
        found = true;
        line = static_cast<int>(e.getLineNumber());
        message = ToUtf8(e.getMessage());
    }
};

// The library's reader only says that a file failed; a second parse with the same limits finds where.
void ReportParseError(const std::string& text, const std::string& file, CheckReport& report)
{
    FirstError errors;
    xercesc::SecurityManager security;
    security.setEntityExpansionLimit(64);
    {
        xercesc::SAXParser parser;
        parser.setErrorHandler(&errors);
        parser.setLoadExternalDTD(false);
        parser.setDisableDefaultEntityResolution(true);
        parser.setSecurityManager(&security);
        parser.setExitOnFirstFatalError(true);
        xercesc::MemBufInputSource input(reinterpret_cast<const XMLByte*>(text.data()), text.size(), "config");
        try {
            parser.parse(input);
        } catch (...) {
            // The handler has what there is to say.
        }
    }
    report.Error(file, errors.line, errors.message + "; the library reads no setting from this file");
}

void CheckDocument(const std::string& folder, CheckReport& report)
{
    const std::string file = folder + ToUtf8(kConfigFileName);
    std::ifstream in(file, std::ios::binary);
    if (!in || !std::filesystem::is_regular_file(file)) {
        report.Error(file, 1, "not found: every setting keeps its default (empty sign-in texts, the plain template window)");
        return;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CXMLDocument document;
    document.Init();
    XmlElement* root = nullptr;
    if (!document.Load(FromUtf8(file), root)) {
        ReportParseError(text, file, report);
        return;
    }
    const XmlLineMap lines(text, root);
    CheckContext context(report, lines, file, FromUtf8(folder));
    context.CheckChildNames(root, {"CommonWindow"});
    const XmlElement* common = FindChildElement(root, u"CommonWindow");
    if (!common) {
        report.Error(file, lines.Line(root), "no <CommonWindow> under the document element: the library reads no "
                                             "setting from this file");
        return;
    }
    context.CheckChildNames(common, {"VomoLogin", "PreLoginFromInternetInfo"});
    if (const auto* login = FindChildElement(common, kLoginSection))
        CheckLoginSection(context, login);
    else
        report.Warning(file, lines.Line(common), "no <VomoLogin> section: the sign-in check has no request "
                                                 "pattern and no messages");
    if (const auto* window = FindChildElement(common, kRedirectSection))
        CheckWindowSection(context, window);
    else
        report.Warning(file, lines.Line(common), "no <PreLoginFromInternetInfo> section: the sign-in helper "
                                                 "window keeps its plain template look");
}

// The settings files beside it.
void CheckFolderFiles(const std::string& folder, CheckReport& report)
{
    CheckOrvaneFile(folder, report);
    CheckParvexFile(folder, report);
    const std::string wait = folder + "PreLoginWait/wait.htm";
    if (!std::filesystem::is_regular_file(wait))
        report.Warning(wait, 1, "not found: the sign-in helper window shows an empty page while it waits");
}

int Usage()
{
    std::fprintf(stderr, "usage: tessaly-skin-check CONFIG_DIR [--werror]\n"
                         "  Checks VomoLoginCfg.xml, the files it names, orvane.cfg and Parvex.cfg in CONFIG_DIR.\n"
                         "  --werror  warnings count as errors for the exit status (for CI)\n"
                         "  Exit status: 0 no errors, 1 errors (or warnings with --werror), 2 bad arguments.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder;
    bool warningsFail = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--werror") == 0)
            warningsFail = true;
        else if (argv[i][0] == '-' || !folder.empty())
            return Usage();
        else
            folder = argv[i];
    }
    if (folder.empty())
        return Usage();
    if (folder.back() != '/')
        folder += '/';

    CheckReport report;
    CheckDocument(folder, report);
    CheckFolderFiles(folder, report);
    report.Print(stdout);
    std::fprintf(stderr, "tessaly-skin-check: %d error(s), %d warning(s)\n", report.Errors(), report.Warnings());
    return report.Errors() > 0 || (warningsFail && report.Warnings() > 0) ? 1 : 0;
}
