#include "core/project_settings.h"

namespace kem {

void CopyProjectField(std::size_t index, const ProjectSettings& from, ProjectSettings& to) {
  std::visit([&](auto member) { to.*member = from.*member; }, kProjectFields.at(index).member);
}

}  // namespace kem
