#include "platform/gdi/FontRegistry.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace gdi {
namespace {

namespace fs = std::filesystem;

// Open families that stand in for the Windows faces the game asks for; the files are
// those of Debian's fonts-liberation and fonts-dejavu-core.
struct SystemFamilyFiles {
  const char* familyKey;
  const char* files[2];
};
constexpr SystemFamilyFiles kSystemFamilies[] = {
    {"liberation serif", {"LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf"}},
    {"liberation sans", {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"}},
    {"dejavu serif", {"DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf"}},
    {"dejavu sans", {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"}},
};

// Windows face names and the families that replace them, best first.
struct Substitute {
  const char* faceKey;
  const char* familyKeys[2];
};
constexpr Substitute kSubstitutes[] = {
    {"times new roman", {"liberation serif", "dejavu serif"}},
    {"verdana", {"dejavu sans", "liberation sans"}},
    {"arial", {"dejavu sans", "liberation sans"}},
    {"tahoma", {"dejavu sans", "liberation sans"}},
};

// What GDI's font mapper would pick for a name it does not know.
constexpr const char* kDefaultFamilies[] = {"dejavu sans", "liberation sans"};

std::string ToKey(const std::string& name) {
  size_t first = name.find_first_not_of(" \t");
  size_t last = name.find_last_not_of(" \t");
  std::string key = first == std::string::npos ? std::string() : name.substr(first, last - first + 1);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

std::string AbsolutePath(const std::string& fileName) {
  std::error_code ec;
  fs::path path = fs::absolute(fs::path(fileName), ec);
  if (ec) return fileName;
  return path.lexically_normal().string();
}

int FaceWeight(FT_Face face) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWeightClass > 0) {
    int weight = os2->usWeightClass;
    // A few old fonts store 1 to 9 instead of 100 to 900.
    if (weight < 10) weight *= 100;
    if (weight <= 1000) return weight;
  }
  return (face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
}

}  // namespace

FontRegistry& FontRegistry::Get() {
  static FontRegistry* registry = new FontRegistry();
  return *registry;
}

FontRegistry::FontRegistry() : systemFolders_(DefaultSystemFolders()) {
  if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
}

std::vector<std::string> FontRegistry::DefaultSystemFolders() {
  return {"/usr/share/fonts", "/usr/local/share/fonts"};
}

void FontRegistry::SetSystemFolders(std::vector<std::string> folders) {
  systemFolders_ = std::move(folders);
  systemIndexed_ = false;
  systemFiles_.clear();
  systemFamilies_.clear();
}

std::vector<FontRegistry::Face> FontRegistry::ReadFaces(const std::string& path) const {
  std::vector<Face> faces;
  if (!library_) return faces;
  long count = 1;
  for (long index = 0; index < count; ++index) {
    FT_Face face = nullptr;
    if (FT_New_Face(library_, path.c_str(), index, &face) != 0) break;
    count = face->num_faces;
    if (FT_IS_SCALABLE(face) && face->family_name && face->family_name[0]) {
      Face entry;
      entry.path = path;
      entry.index = index;
      entry.family = face->family_name;
      entry.familyKey = ToKey(entry.family);
      entry.weight = FaceWeight(face);
      entry.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
      faces.push_back(std::move(entry));
    }
    FT_Done_Face(face);
  }
  return faces;
}

int FontRegistry::Add(const std::string& fileName) {
  const std::string path = AbsolutePath(fileName);
  auto found = registered_.find(path);
  if (found != registered_.end()) {
    ++found->second.count;
    return static_cast<int>(found->second.faces.size());
  }
  std::vector<Face> faces = ReadFaces(path);
  if (faces.empty()) return 0;
  const int added = static_cast<int>(faces.size());
  registered_[path] = Registration{1, std::move(faces)};
  registrationOrder_.push_back(path);
  return added;
}

bool FontRegistry::Remove(const std::string& fileName) {
  const std::string path = AbsolutePath(fileName);
  auto found = registered_.find(path);
  if (found == registered_.end()) return false;
  if (--found->second.count > 0) return true;
  registered_.erase(found);
  registrationOrder_.erase(std::find(registrationOrder_.begin(), registrationOrder_.end(), path));
  return true;
}

std::vector<const FontRegistry::Face*> FontRegistry::RegisteredFamily(const std::string& familyKey) const {
  std::vector<const Face*> faces;
  for (const std::string& path : registrationOrder_) {
    for (const Face& face : registered_.at(path).faces) {
      if (face.familyKey == familyKey) faces.push_back(&face);
    }
  }
  return faces;
}

const std::string* FontRegistry::FindSystemFile(const std::string& fileName) {
  if (!systemIndexed_) {
    systemIndexed_ = true;
    for (const std::string& folder : systemFolders_) {
      std::error_code ec;
      fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
      for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        // The first file of a name wins: folders are searched in order.
        systemFiles_.emplace(it->path().filename().string(), it->path().string());
      }
    }
  }
  auto found = systemFiles_.find(fileName);
  return found == systemFiles_.end() ? nullptr : &found->second;
}

std::vector<const FontRegistry::Face*> FontRegistry::SystemFamily(const std::string& familyKey) {
  std::vector<const Face*> faces;
  const SystemFamilyFiles* known = nullptr;
  for (const SystemFamilyFiles& family : kSystemFamilies) {
    if (familyKey == family.familyKey) known = &family;
  }
  if (!known) return faces;

  auto cached = systemFamilies_.find(familyKey);
  if (cached == systemFamilies_.end()) {
    std::vector<Face> read;
    for (const char* file : known->files) {
      if (const std::string* path = FindSystemFile(file)) {
        for (Face& face : ReadFaces(*path)) {
          if (face.familyKey == familyKey) read.push_back(std::move(face));
        }
      }
    }
    cached = systemFamilies_.emplace(familyKey, std::move(read)).first;
  }
  for (const Face& face : cached->second) faces.push_back(&face);
  return faces;
}

std::vector<const FontRegistry::Face*> FontRegistry::Family(const std::string& familyKey) {
  std::vector<const Face*> faces = RegisteredFamily(familyKey);
  if (faces.empty()) faces = SystemFamily(familyKey);
  return faces;
}

std::optional<FaceChoice> FontRegistry::Find(const std::string& faceName, int weight, bool italic) {
  const std::string key = ToKey(faceName);
  std::vector<const Face*> faces = Family(key);
  if (faces.empty()) {
    for (const Substitute& substitute : kSubstitutes) {
      if (key != substitute.faceKey) continue;
      for (const char* family : substitute.familyKeys) {
        if (faces.empty()) faces = Family(family);
      }
    }
  }
  for (const char* family : kDefaultFamilies) {
    if (faces.empty()) faces = Family(family);
  }
  if (faces.empty() && !registrationOrder_.empty()) {
    faces = RegisteredFamily(registered_.at(registrationOrder_.front()).faces.front().familyKey);
  }
  if (faces.empty()) return std::nullopt;

  // Nearest weight, then the asked-for slant; the first face wins a tie.
  const int target = weight <= 0 ? 400 : weight;
  const Face* best = nullptr;
  int bestScore = 0;
  for (const Face* face : faces) {
    const int score = std::abs(face->weight - target) + (face->italic != italic ? 10000 : 0);
    if (!best || score < bestScore) {
      best = face;
      bestScore = score;
    }
  }
  FaceChoice choice;
  choice.path = best->path;
  choice.index = best->index;
  choice.family = best->family;
  choice.embolden = target >= 600 && best->weight < 600;
  return choice;
}

}  // namespace gdi
