#include "sim/SimUi.h"

#include "sim/SimRecordFile.h"
#include "sim/SimText.h"

namespace setwell::sim {

void SimUi::Save(SimRecordFile& record) const {
  for (const MessageBoxRecord& box : boxes) {
    SimRecordFile::Section& section = record.Add("message-box");
    section.Add("text", box.text);
    section.Add("caption", box.caption);
    section.Add("type", HexNumber(box.type));
    section.Add("answer", std::to_string(box.answer));
    if (box.unanswered) section.Add("unanswered", "yes");
  }
  for (const ScriptedAnswer& answer : script) {
    SimRecordFile::Section& section = record.Add("scripted-answer");
    section.Add("answer", std::to_string(answer.answer));
    if (!answer.expectedText.empty()) section.Add("expected-text", answer.expectedText);
  }
}

bool SimUi::Load(const SimRecordFile& record, std::string* error) {
  boxes.clear();
  script.clear();
  for (const SimRecordFile::Section& section : record.Sections()) {
    if (section.kind == "message-box") {
      std::optional<std::uint64_t> type = ParseNumber(section.GetOr("type", ""));
      std::optional<int> answer = ParseSigned(section.GetOr("answer", "0"));
      if (!type || *type > 0xFFFFFFFFu || !answer) {
        if (error != nullptr) *error = section.Where() + "bad message box";
        return false;
      }
      boxes.push_back(MessageBoxRecord{section.GetOr("text", ""), section.GetOr("caption", ""),
                                       static_cast<UINT>(*type), *answer,
                                       section.GetOr("unanswered", "") == "yes"});
    } else if (section.kind == "scripted-answer") {
      std::optional<int> answer = ParseSigned(section.GetOr("answer", "1"));
      if (!answer) {
        if (error != nullptr) *error = section.Where() + "bad scripted answer";
        return false;
      }
      script.push_back(ScriptedAnswer{*answer, section.GetOr("expected-text", "")});
    }
  }
  return true;
}

}  // namespace setwell::sim
