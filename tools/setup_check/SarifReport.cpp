// The report as a SARIF 2.1.0 log, the form in which CI systems take the
// findings of static analysers and show them on the lines of a change.
#include <cstdio>
#include <sstream>

#include "tools/setup_check/CheckReport.h"
#include "tools/setup_check/ReportText.h"
#include "tools/setup_check/RuleDocs.h"

namespace setwell::check {
namespace {

// The results name their files relative to this base, which the log
// defines as the distribution folder.
constexpr const char* kBase = "DISTRIBUTION";

// A path as a URI path: letters, digits, "-._~" and the separators as they
// are, every other byte as %XX. A colon is escaped too, lest a relative
// reference be read as a scheme.
std::string UriPath(const std::string& path, bool keepColon = false) {
  std::string out;
  for (unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/' ||
                       (keepColon && c == ':');
    if (plain) {
      out += static_cast<char>(c);
    } else {
      char buffer[4];
      std::snprintf(buffer, sizeof buffer, "%%%02X", c);
      out += buffer;
    }
  }
  return out;
}

// "file:///work/dist/" for "/work/dist", "file:///Z:/work/dist/" for
// "Z:\work\dist": a base must end in a slash to have names resolved below it.
std::string FolderUri(std::string folder) {
  for (char& c : folder) c = c == '\\' ? '/' : c;
  if (folder.empty() || folder.back() != '/') folder += '/';
  if (folder.front() != '/') folder.insert(folder.begin(), '/');
  return "file://" + UriPath(folder, true);
}

std::string Text(const std::string& text) { return "{\"text\": " + Json(text) + "}"; }

void WriteRule(std::ostringstream& out, const Rule& rule) {
  const RuleDoc* doc = FindRuleDoc(rule.code);
  const std::string full = doc ? PlainText(doc->rule) : rule.title;
  std::string helpText = rule.hint;
  std::string helpMarkdown = rule.hint;
  if (doc) {
    helpText += "\nExample that trips it: " + PlainText(doc->example);
    helpMarkdown += "\n\nExample that trips it: " + std::string(doc->example);
  }
  out << "        {\"id\": " << Json(rule.code) << ", \"shortDescription\": " << Text(rule.title)
      << ", \"fullDescription\": " << Text(full) << ",\n         \"help\": {\"text\": "
      << Json(helpText) << ", \"markdown\": " << Json(helpMarkdown)
      << "},\n         \"defaultConfiguration\": {\"level\": " << Json(SeverityName(rule.severity))
      << "}}";
}

void WriteResult(std::ostringstream& out, const CheckResult& result, const Finding& f) {
  int ruleIndex = -1;
  for (std::size_t i = 0; i < Rules().size(); ++i) {
    if (f.code == Rules()[i].code) ruleIndex = static_cast<int>(i);
  }
  out << "        {\"ruleId\": " << Json(f.code);
  if (ruleIndex >= 0) out << ", \"ruleIndex\": " << ruleIndex;
  out << ", \"level\": " << Json(SeverityName(f.severity))
      << ", \"message\": " << Text(MessageForTools(f));
  const ToolPlace place = PlaceForTools(result, f);
  if (!place.file.empty()) {
    out << ",\n         \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": "
        << Json(UriPath(place.file)) << ", \"uriBaseId\": " << Json(kBase) << "}";
    if (place.line > 0) out << ", \"region\": {\"startLine\": " << place.line << "}";
    out << "}}]";
  }
  // What the text report says beside the message: the section and key, the
  // model, and the hint of the mend.
  std::string properties;
  auto property = [&](const char* name, const std::string& value) {
    if (value.empty()) return;
    properties += std::string(properties.empty() ? "" : ", ") + Json(name) + ": " + Json(value);
  };
  property("section", f.section);
  property("key", f.key);
  property("model", f.model);
  property("hint", f.hint);
  if (!properties.empty()) out << ",\n         \"properties\": {" << properties << "}";
  // A waiver kept outside the distribution's files: an external, accepted
  // suppression, at its line of the waiver file.
  if (!f.waived.empty()) {
    out << ",\n         \"suppressions\": [{\"kind\": \"external\", \"status\": \"accepted\", "
           "\"justification\": "
        << Json(f.waived);
    // Located when the waiver file lies in the distribution; one elsewhere
    // has no place relative to it.
    const std::string& file = result.waiverFile;
    if (!file.empty() && file[0] != '/' && file.find(':') == std::string::npos) {
      out << ", \"location\": {\"physicalLocation\": {\"artifactLocation\": {\"uri\": "
          << Json(UriPath(file)) << ", \"uriBaseId\": " << Json(kBase)
          << "}, \"region\": {\"startLine\": " << f.waiverLine << "}}}";
    }
    out << "}]";
  }
  out << "}";
}

}  // namespace

std::string FormatSarif(const CheckResult& result) {
  std::ostringstream out;
  out << "{\n"
         "  \"$schema\": "
         "\"https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/"
         "sarif-schema-2.1.0.json\",\n"
         "  \"version\": \"2.1.0\",\n"
         "  \"runs\": [\n"
         "    {\n"
         "      \"tool\": {\"driver\": {\"name\": \"setup-check\", \"rules\": [\n";
  for (std::size_t i = 0; i < Rules().size(); ++i) {
    WriteRule(out, Rules()[i]);
    out << (i + 1 < Rules().size() ? ",\n" : "\n");
  }
  out << "      ]}},\n"
      << "      \"originalUriBaseIds\": {" << Json(kBase) << ": {\"uri\": "
      << Json(FolderUri(result.distribution))
      << ", \"description\": {\"text\": \"the distribution folder\"}}},\n"
      << "      \"results\": [";
  for (std::size_t i = 0; i < result.findings.size(); ++i) {
    out << (i == 0 ? "\n" : ",\n");
    WriteResult(out, result, result.findings[i]);
  }
  out << (result.findings.empty() ? "" : "\n      ") << "],\n"
      << "      \"properties\": {\"combinations\": " << result.combinations.size()
      << ", \"failing\": " << result.Failing() << "}\n"
      << "    }\n"
      << "  ]\n"
      << "}\n";
  return out.str();
}

}  // namespace setwell::check
