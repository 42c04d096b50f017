// What every elevation conversion shows, whichever reader takes the file: the
// caption of its message boxes, the names of its steps and the failures that
// the steps share.
#pragma once

namespace kem {

inline constexpr char kImportCaption[] = "RezozorUduzuvur.convertdem";

inline constexpr char kImportScanText[] = "Processing source file";
inline constexpr char kImportPlaceText[] = "Generating surface from imported data";
inline constexpr char kImportFillText[] = "Completing generated surface";
inline constexpr char kImportWriteText[] = "Writing output .tga image";

inline constexpr char kImportOutOfMemory[] =
    "There's not enough memory available to complete the operation.\n\n"
    "Your computer doesn't currently have enough free memory to allow the conversion to be "
    "finished.\n"
    "You might want to try to close other applications, increase amount of virtual memory or "
    "break\n"
    "the DEM data into smaller chunks before attempting this operation again.";
inline constexpr char kImportTooLarge[] = "Error: the DEM is too large for a targa image.";
inline constexpr char kImportCannotCreate[] = "Error: the height map file could not be created.";
inline constexpr char kImportWriteFailed[] = "Error: failed to write the height map file.";
inline constexpr char kImportVirtualRefused[] =
    "Error: the elevation file is a GDAL virtual raster (VRT) or path, which can make GDAL read "
    "other files or the network; convert it with kem-cli convert --allow-vrt if you trust it.";
inline constexpr char kImportNeedsGdal[] =
    "Error: this build of Kem reads only XYZ text; other elevation formats (GeoTIFF, ASCII grid, "
    "HGT, ...) need a build with GDAL.";

}  // namespace kem
