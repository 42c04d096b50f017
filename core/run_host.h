// What every long run asks of the front end that hosts it, whatever else it
// shows: time for the user interface between steps, and the cancel flag.
//
// A generation run and a DEM conversion both pump between units of work and
// test the flag; once it is set they stop, discard the file they were writing
// and report kCancelled. The front end sets the flag from its Cancel command
// (RequestCancel) or, in kem-cli, from Ctrl+C.
#pragma once

namespace kem {

// How a run ended.
enum class RunOutcome {
  kWritten,    // the output file was written
  kFailed,     // stopped with a message; nothing written
  kCancelled,  // stopped at a cancel test; nothing written
};

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Lets pending user-interface events run (where Cancel is pressed). Returns
  // false when a quit request was seen; it stays pending and takes effect
  // after the run.
  virtual bool PumpMessages() = 0;

  // The cancel flag: true once the user asked to stop the run.
  virtual bool IsCancelled() const { return cancelled_; }

  // Sets the cancel flag; the run stops at its next test of it.
  void RequestCancel() { cancelled_ = true; }

 private:
  bool cancelled_ = false;
};

}  // namespace kem
