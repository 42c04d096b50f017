// kem-cli: the terrain generator and the DEM conversion from the command line.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/inspect_command.h"
#include "cli/job_options.h"
#include "cli/terminal.h"
#include "generated/version.h"

int main(int argc, char** argv) {
  using namespace kem::cli;

  CLI::App app{"Kem: turns colour-coded height maps into Trainz layout files (.gnd)", "kem-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", kem::kVersionLine);

  std::optional<std::string> projectPath;
  JobOptions generateOptions;
  CLI::App* generate =
      app.add_subcommand("generate",
                         "Generate a layout file from a project and/or options (tile_blank.dat and "
                         "textures.txt come from the current folder)");
  generate
      ->add_option_function<std::string>(
          "project", [&projectPath](const std::string& path) { projectPath = path; },
          "Project file; without one a new project's fields apply")
      ->type_name("PROJECT");
  AddJobOptions(*generate, generateOptions);
  kem::GenerateOptions runOptions;
  generate
      ->add_option("--threads", runOptions.threads,
                   "Threads that build boards (default: one per core); the layout is the same "
                   "for any number")
      ->check(CLI::Range(1, 256))
      ->type_name("N");

  std::vector<std::string> convertPaths;
  std::string convertOutput;
  bool fitBoards = false;
  CLI::App* convert = app.add_subcommand(
      "convert",
      "Convert an elevation model (XYZ text; GeoTIFF, ASCII grid, HGT and other rasters in builds "
      "with GDAL) to a 24-bit height map FILE.tga");
  convert
      ->add_option("file", convertPaths,
                   "The elevation file; several files or a folder (every elevation file in it) "
                   "are tiles of one height map")
      ->required()
      ->type_name("FILE");
  convert->add_option("--output", convertOutput, "Height map to write instead of FILE.tga")
      ->type_name("PATH");
  convert->add_flag("--fit-boards", fitBoards,
                    "Crop symmetrically to the largest 72c+4 x 72r+4 pixels (whole boards)");
  int convertThreads = 0;
  convert
      ->add_option("--threads", convertThreads,
                   "Threads that read XYZ text (default: one per core); the height map is the "
                   "same for any number")
      ->check(CLI::Range(1, 256))
      ->type_name("N");
  std::string convertCrs;
  convert
      ->add_option("--crs", convertCrs,
                   "Coordinate system of XYZ text, or of a raster that names none, for the "
                   "height map's sidecar (EPSG:25832, WKT, a PROJ string; needs GDAL)")
      ->type_name("DEFINITION");
  bool allowVirtual = false;
  convert->add_flag("--allow-vrt", allowVirtual,
                    "Let GDAL open VRT files and /vsi paths, which may read any other file (never "
                    "the network)");
  std::string areaText;
  convert
      ->add_option("--area", areaText,
                   "Only this rectangle, in the coordinates of the height map's grid (the data's "
                   "own, or the UTM zone data in degrees goes to)")
      ->type_name("XMIN,YMIN,XMAX,YMAX");
  std::string aroundText;
  CLI::Option* around =
      convert
          ->add_option("--around", aroundText,
                       "Only the boards around this point, in degrees (needs a raster, which "
                       "knows its coordinate system)")
          ->type_name("LAT,LON");
  std::string boardsText = "1x1";
  convert->add_option("--boards", boardsText, "Boards of the area --around gives (default 1x1)")
      ->type_name("COLSxROWS")
      ->needs(around);
  bool average = false;
  convert->add_flag("--average", average,
                    "Each pixel the mean of the points or cells in it, for data finer than 10 m");

  CLI::App* project = app.add_subcommand("project", "Write or show a project file");
  project->require_subcommand(1);
  std::string newPath;
  JobOptions newOptions;
  CLI::App* projectNew = project->add_subcommand("new", "Write a new project file");
  projectNew->add_option("path", newPath, "Project file to write")->required()->type_name("PATH");
  AddJobOptions(*projectNew, newOptions);
  std::string showPath;
  CLI::App* projectShow =
      project->add_subcommand("show", "Print a project's fourteen fields, one a line");
  projectShow->add_option("path", showPath, "Project file")->required()->type_name("PATH");

  InspectOptions inspectOptions;
  CLI::App* inspect = AddInspectCommand(app, inspectOptions);

  try {
    std::vector<std::string> arguments = CommandLineArguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
      pointers.push_back(argument.data());
    }
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForAllHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    app.exit(error);
    return kExitUsage;
  }

  if (*generate) {
    return RunGenerate(projectPath, generateOptions, runOptions);
  }
  if (*convert) {
    kem::ConvertOptions options;
    options.outputPath = convertOutput;
    options.fitBoards = fitBoards;
    options.threads = convertThreads;
    options.allowVirtual = allowVirtual;
    options.average = average;
    if (!ParseConvertPlace(areaText, aroundText, boardsText, options)) {
      return kExitUsage;
    }
    return RunConvert(convertPaths, options, convertCrs);
  }
  if (*inspect) {
    return RunInspect(inspectOptions);
  }
  if (*projectNew) {
    return RunProjectNew(newPath, newOptions);
  }
  return RunProjectShow(showPath);
}
