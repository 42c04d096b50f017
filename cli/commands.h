// The subcommands of kem-cli. Each returns the process exit status:
// 0 output written, 1 stopped with a message, 2 bad usage, 3 the flat-terrain
// question was not confirmed, 130 cancelled with Ctrl+C.
#pragma once

namespace kem::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotConfirmed = 3;
inline constexpr int kExitCancelled = 130;

}  // namespace kem::cli
