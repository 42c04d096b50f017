// Surveys a project on a thread of its own, so that the form never waits for
// a map to be read. A newer request cancels the older one between boards;
// only the newest survey is handed back, on the GUI thread.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <wx/event.h>

#include "core/file_lookup.h"
#include "core/project_settings.h"
#include "core/project_survey.h"

namespace kem::app {

// A survey as the preview shows it, with where the run would look for its
// two files.
struct PreviewSurvey {
  ProjectSurvey survey;
  std::string tileTemplate;  // the tile_blank.dat found, or the bare name
  bool tileTemplateFound = false;
  std::string textureList;  // the textures.txt found, or the bare name
  bool textureListFound = false;
  std::vector<std::string> templatePlaces;  // the places tile_blank.dat is looked for
  std::vector<std::string> texturePlaces;   // the same for textures.txt
  // Where the height map lies, when it has a sidecar (route_area.h): empty
  // otherwise.
  std::vector<std::string> areaLines;
};

// Surveys `settings` as a run would see it, finding its files through
// `lookup`; `cancelled` is asked between boards. Safe on any thread.
PreviewSurvey RunPreviewSurvey(const ProjectSettings& settings, const FileLookup& lookup,
                               const std::function<bool()>& cancelled);

class SurveyWorker {
 public:
  using Done = std::function<void(PreviewSurvey&&)>;

  // Results are queued to `owner` (which must outlive the worker) and given
  // to `done` there.
  SurveyWorker(wxEvtHandler* owner, Done done);
  // Cancels the survey under way and waits for it.
  ~SurveyWorker();
  SurveyWorker(const SurveyWorker&) = delete;
  SurveyWorker& operator=(const SurveyWorker&) = delete;

  // Starts surveying `settings`; a survey still running is cancelled and its
  // result never delivered.
  void Start(const ProjectSettings& settings, const FileLookup& lookup);

  // True while a survey has been started and its result not yet delivered.
  bool Busy() const { return m_delivered != m_generation.load(); }

 private:
  wxEvtHandler* m_owner;
  Done m_done;
  std::atomic<unsigned> m_generation{0};
  unsigned m_delivered = 0;
  std::thread m_thread;
};

}  // namespace kem::app
