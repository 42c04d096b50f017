// What the fuzz targets share: a scratch folder that becomes the current
// folder, hosts that show nothing, outputs that keep bytes in memory, and a
// check that ends the run loudly when an invariant breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/output_file.h"
#include "importer/import_host.h"

namespace kem::fuzz {

// The process's scratch folder, made once under the system temporary folder
// (in /dev/shm where it exists) and removed when the process exits normally.
const std::string& ScratchFolder();

// Makes the scratch folder the current folder (the generator reads
// tile_blank.dat and textures.txt from there). Give libFuzzer absolute paths
// of corpus folders: it reads them while the target runs.
void EnterScratchFolder();

// Writes `size` bytes to `name` in the scratch folder, replacing what was
// there, and returns the file's path. Aborts when the file cannot be written.
std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size);

// Ends the run with a message on standard error when `condition` is false:
// libFuzzer and the replay driver both see the abort as a finding.
void Require(bool condition, const char* what);

// A generator host that shows nothing and never asks to quit.
class QuietHost : public Host {
 public:
  void ShowMessage(const std::string& text) override;
  void ShowInformation(const std::string& caption, const std::string& text) override;
  std::unique_ptr<ProgressBar> CreateProgressBar(const std::string& message, int size, int maximum,
                                                 bool smooth, int pane) override;
  bool PumpMessages() override { return true; }

  int messages = 0;  // message and information boxes shown
};

// A conversion host that shows nothing and is never cancelled.
class QuietImportHost : public ImportHost {
 public:
  void Repaint() override {}
  void SetProgress(const std::string& text, float percent) override;
  bool IsCancelled() const override { return false; }
  void DisableCancel() override {}
  void ShowError(const std::string& caption, const std::string& text) override;
  bool PumpMessages() override { return true; }

  int errors = 0;
};

// Keeps the bytes of a layout or height map in `bytes`; never fails.
class MemoryOutput : public OutputFile {
 public:
  explicit MemoryOutput(std::vector<std::uint8_t>& bytes) : bytes_(bytes) { bytes_.clear(); }
  void Write(const std::uint8_t* data, std::size_t size) override;
  bool Failed() const override { return false; }
  bool Commit() override { return true; }

 private:
  std::vector<std::uint8_t>& bytes_;
};

// A factory of MemoryOutputs that all write to `bytes`, but for a height
// map's sidecar (".aux.xml"), which goes to a buffer of its own.
OutputFileFactory MemoryOutputs(std::vector<std::uint8_t>& bytes);

}  // namespace kem::fuzz
