// The message boxes of a simulated machine: the in-memory message boxes
// (ui/headless/MessageBoxes.h), kept in the machine folder between runs.
#pragma once

#include <string>

#include "ui/headless/MessageBoxes.h"

namespace setwell::sim {

class SimRecordFile;

using setwell::MessageBoxRecord;
using setwell::ScriptedAnswer;
using setwell::UnansweredQuestion;

class SimUi : public MessageBoxRecorder {
 public:
  void Save(SimRecordFile& record) const;
  bool Load(const SimRecordFile& record, std::string* error);

  bool operator==(const SimUi& other) const {
    return MessageBoxRecorder::operator==(other);
  }
};

}  // namespace setwell::sim
