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
  // The images, the output and the two data files are found the way a run
  // finds them.
  SurveyOptions options;
  options.lookup = lookup;
  options.relief = true;
  options.drapes = true;
  options.cancelled = cancelled;
  preview.survey = SurveyProject(settings, options);
  preview.tileTemplate = preview.survey.tileTemplate;
  preview.tileTemplateFound = IsFile(preview.tileTemplate);
  preview.textureList = preview.survey.textureList;
  preview.textureListFound = IsFile(preview.textureList);
  preview.templatePlaces = SearchPlaces(kTileTemplateFile, lookup, true);
  preview.texturePlaces = SearchPlaces(kTextureListFile, lookup, true);
  const ProjectSurvey& survey = preview.survey;
  RouteArea area;
  if (survey.imageOpened &&
      ReadRouteArea(survey.resolved.heightMapPath, survey.imageWidth, survey.imageHeight,
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
