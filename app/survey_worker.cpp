#include "app/survey_worker.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "core/generate_terrain.h"
#include "importer/route_area.h"

namespace kem::app {
namespace {

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

PreviewSurvey RunPreviewSurvey(const ProjectSettings& settings, const FileLookup& lookup,
                               const std::function<bool()>& cancelled) {
  PreviewSurvey preview;
  // The images and the output are found the way a run finds them.
  const ProjectSettings resolved = ResolveProjectPaths(settings, lookup);

  SurveyOptions options;
  options.tileTemplate = FindDataFile(kTileTemplateFile, lookup);
  options.textureList = FindDataFile(kTextureListFile, lookup);
  options.relief = true;
  options.drapes = true;
  options.cancelled = cancelled;
  preview.tileTemplate = options.tileTemplate;
  preview.tileTemplateFound = IsFile(options.tileTemplate);
  preview.textureList = options.textureList;
  preview.textureListFound = IsFile(options.textureList);
  preview.templatePlaces = SearchPlaces(kTileTemplateFile, lookup, true);
  preview.texturePlaces = SearchPlaces(kTextureListFile, lookup, true);
  preview.survey = SurveyProject(resolved, options);
  const ProjectSurvey& survey = preview.survey;
  RouteArea area;
  if (survey.imageOpened &&
      ReadRouteArea(resolved.heightMapPath, survey.imageWidth, survey.imageHeight,
                    survey.selectionMade ? survey.anchor.col : -1,
                    survey.selectionMade ? survey.anchor.row : -1, area)) {
    preview.areaLines = RouteAreaLines(area);
  }
  return preview;
}

SurveyWorker::SurveyWorker(wxEvtHandler* owner, Done done)
    : m_owner(owner), m_done(std::move(done)) {}

SurveyWorker::~SurveyWorker() {
  ++m_generation;
  if (m_thread.joinable()) {
    m_thread.join();
  }
}

void SurveyWorker::Start(const ProjectSettings& settings, const FileLookup& lookup) {
  const unsigned generation = ++m_generation;
  // The older survey sees the new generation at its next board and stops.
  if (m_thread.joinable()) {
    m_thread.join();
  }
  m_thread = std::thread([this, settings, lookup, generation] {
    auto cancelled = [this, generation] { return m_generation.load() != generation; };
    auto result = std::make_shared<PreviewSurvey>(RunPreviewSurvey(settings, lookup, cancelled));
    if (cancelled()) {
      return;
    }
    m_owner->CallAfter([this, result, generation] {
      if (m_generation.load() == generation) {
        m_delivered = generation;
        m_done(std::move(*result));
      }
    });
  });
}

}  // namespace kem::app
