#pragma once

// The faces that fonts can be made from: those registered from files (AddFontResourceA)
// and a few well-known families found in the system font folders, reached by the
// Windows face names that scripts ask for. Internal to the GDI layer; tests use it to
// point the system folders elsewhere.

#include <map>
#include <optional>
#include <string>
#include <vector>

typedef struct FT_LibraryRec_* FT_Library;

namespace gdi {

// One face that a font can be opened from.
struct FaceChoice {
  std::string path;    // absolute file name
  long index = 0;      // face within the file
  std::string family;  // as the face names itself
  bool embolden = false;  // bold was asked for and the face is not bold
};

class FontRegistry {
 public:
  // The one registry of the process. It is never destroyed, so that fonts and the
  // registration calls of other objects' exit routines may still use it at exit.
  static FontRegistry& Get();

  // The FreeType library that every face of the process is opened with.
  FT_Library Library() const { return library_; }

  // Registers every scalable face of the file; returns their number (0: not a font).
  int Add(const std::string& fileName);
  // Undoes one registration of the file; false when it is not registered.
  bool Remove(const std::string& fileName);

  // The best face for a face name, weight (0 = normal) and italic flag: registered
  // faces of that family first, then the substitute families, then the default family,
  // then any registered face.
  std::optional<FaceChoice> Find(const std::string& faceName, int weight, bool italic);

  // The folders searched, with their sub-folders, for the well-known families' files.
  static std::vector<std::string> DefaultSystemFolders();
  void SetSystemFolders(std::vector<std::string> folders);

 private:
  struct Face {
    std::string path;
    long index = 0;
    std::string family;
    std::string familyKey;  // lower-case
    int weight = 400;
    bool italic = false;
  };
  struct Registration {
    int count = 0;
    std::vector<Face> faces;
  };

  FontRegistry();

  std::vector<Face> ReadFaces(const std::string& path) const;
  std::vector<const Face*> RegisteredFamily(const std::string& familyKey) const;
  std::vector<const Face*> SystemFamily(const std::string& familyKey);
  std::vector<const Face*> Family(const std::string& familyKey);
  const std::string* FindSystemFile(const std::string& fileName);

  FT_Library library_ = nullptr;
  std::vector<std::string> registrationOrder_;       // absolute paths, first come first
  std::map<std::string, Registration> registered_;   // by absolute path
  std::vector<std::string> systemFolders_;
  bool systemIndexed_ = false;
  std::map<std::string, std::string> systemFiles_;   // file name -> path
  std::map<std::string, std::vector<Face>> systemFamilies_;  // family key -> faces read
};

}  // namespace gdi
