// The real terminal in raw mode: keys as they are typed, frames drawn on
// the alternate screen with the cursor hidden, resizes noticed. The
// terminal is put back as it was when the object goes, and also when a
// signal ends or stops the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGTSTP; after SIGCONT raw mode comes back and the frame is redrawn).
#pragma once

#include <termios.h>

#include <string>

#include "tools/setup_sim/Keys.h"

namespace setwell::term {

class RawTerminal : public TerminalIo {
 public:
  // Takes over the terminal on inFd/outFd; Ok() tells whether it could.
  RawTerminal(int inFd = 0, int outFd = 1);
  ~RawTerminal() override;
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  bool Ok() const { return ok_; }
  const std::string& Error() const { return error_; }

  Key ReadKey() override;
  void Write(const std::string& bytes) override;
  int Columns() const override { return columns_; }
  int Rows() const override { return rows_; }

  // The size of the terminal on fd, or false when fd is not one.
  static bool QuerySize(int fd, int& columns, int& rows);

 private:
  enum class Wait { kBytes, kTimeout, kWoken };
  void UpdateSize();
  // Reads what is there within timeoutMs (-1: wait): bytes, nothing, or a
  // resize or continue that woke the wait.
  Wait Fill(int timeoutMs);

  int in_;
  int out_;
  bool ok_ = false;
  std::string error_;
  int columns_ = 80;
  int rows_ = 25;
  KeyDecoder decoder_;
};

}  // namespace setwell::term
