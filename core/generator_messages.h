// The messages a generation run stops with, defined once: the driver shows
// them and the project survey lists them, so both say exactly the same.
// (The Targa check's own messages stay with the check, which both call.)
#pragma once

namespace kem {

inline constexpr const char* kTemplateMissingMessage =
    "Error: tile template file tile_blank.dat not found or failed to open.";
inline constexpr const char* kTemplateNoMemoryMessage =
    "Error: memory allocation failed while reading template file tile_blank.dat.";
inline constexpr const char* kTemplateShortMessage =
    "Error: tile template file tile_blank.dat is shorter than 780 bytes.";
inline constexpr const char* kDimensionsMessage =
    "Error: image dimensions unsuitable for terrain generation.";
inline constexpr const char* kUnknownFormatMessage = "Error: unknown height data format.";
inline constexpr const char* kNoMemoryMessage = "Error: memory allocation failed.";
inline constexpr const char* kCannotCreateMessage = "Error: layout file could not be created.";
inline constexpr const char* kWriteFailedMessage = "Error: failed to write layout file.";
inline constexpr const char* kTooManyBoardsMessage = "Error: too many boards for one layout file.";

// A warning, not a stop: the run goes on with the template it found.
inline constexpr const char* kPlaceholderTemplateMessage =
    "tile_blank.dat is a placeholder: layouts made with it will not load in the simulator; copy "
    "the simulator's own file.";

// For the failure codes of OpenTargaSource (out of memory is kNoMemoryMessage).
inline constexpr const char* kImageNotFoundMessage = "Error: image not found or failed to open.";
inline constexpr const char* kNotTargaMessage = "Error: file is not a targa image.";
inline constexpr const char* kTargaUndeterminedMessage =
    "Undetermined error while reading Targa file.";

}  // namespace kem
