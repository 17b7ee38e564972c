#include "ui/headless/MessageBoxes.h"

namespace setwell {

void MessageBoxRecorder::Answer(int answer, std::string expectedText) {
  script.push_back(ScriptedAnswer{answer, std::move(expectedText)});
}

int MessageBoxRecorder::Show(const std::string& text, const std::string& caption, UINT type) {
  MessageBoxRecord record{text, caption, type, IDOK, false};
  if (!record.IsQuestion()) {
    if (responder) responder(record);
    boxes.push_back(record);
    return record.answer;
  }
  std::string problem;
  if (!script.empty()) {
    const ScriptedAnswer next = script.front();
    if (!next.expectedText.empty() && text.find(next.expectedText) == std::string::npos) {
      problem = "the next scripted answer is for a question with \"" + next.expectedText + "\"";
    } else {
      script.pop_front();
      record.answer = next.answer;
    }
  } else if (responder) {
    record.answer = responder(record);
  } else {
    problem = "no answer is scripted";
  }
  if (!problem.empty()) {
    record.answer = 0;
    record.unanswered = true;
  }
  boxes.push_back(record);
  if (record.unanswered && throwOnUnanswered) {
    throw UnansweredQuestion("unanswered question \"" + text + "\": " + problem);
  }
  return record.answer;
}

std::vector<std::string> MessageBoxRecorder::Texts() const {
  std::vector<std::string> texts;
  for (const MessageBoxRecord& box : boxes) texts.push_back(box.text);
  return texts;
}

bool MessageBoxRecorder::AllQuestionsAnswered() const {
  for (const MessageBoxRecord& box : boxes) {
    if (box.unanswered) return false;
  }
  return true;
}

}  // namespace setwell
