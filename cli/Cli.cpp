// Turns the command line into the wizard's steps (geometry/ObjectRecipe.h)
// and writes, converts or describes the files.
#include "cli/Cli.h"

#include <array>
#include <cstdint>
#include <cwctype>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "files/Export.h"
#include "files/FileIds.h"
#include "files/GltfExport.h"
#include "files/ObjExport.h"
#include "files/Options.h"
#include "files/ProjectFile.h"
#include "files/TexturePath.h"
#include "files/XmlRead.h"
#include "geometry/ObjectRecipe.h"
#include "geometry/RoundObject.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/StringTable.h"
#include "mwWinAPI/Utf.h"

namespace orbiform::cli {
namespace {

const char kUsage[] =
    "usage:\n"
    "  orbiform-cli cylinder --points N --axis A --plain H,R,E,S,D [--plain ...] [options] OUT\n"
    "  orbiform-cli sphere --points N --rings R --radius r --ellipse e --start s --end d [options] OUT\n"
    "  orbiform-cli export IN.ek7mobj OUT.k7mobj|OUT.obj|OUT.glb [--simdir DIR]\n"
    "  orbiform-cli resave IN.ek7mobj OUT.ek7mobj [--simdir DIR]\n"
    "  orbiform-cli info FILE.ek7mobj\n"
    "options: --reversed --technique wrap|same --corners X0,Y0,X1,Y1,X2,Y2,X3,Y3\n"
    "         --texture PATH --author TEXT --info TEXT --flags 0..3 --simdir DIR\n"
    "A plain is height, radius, ellipse factor, start and end degree. OUT ending in\n"
    ".k7mobj is the simulator's object file, .ek7mobj a project file, .obj a\n"
    "Wavefront OBJ file with its .mtl material beside it, .glb a binary glTF 2.0\n"
    "file with the bitmap inside.\n";

// A mistake in the command line itself (exit 2, usage shown).
struct UsageError {
  std::wstring message;
};
// Input the model or the editor refuses, or a failed file operation (exit 1).
struct Refused {
  std::wstring message;
};

using mwWinAPI::LoadText;

std::wstring Widen(const char* text) { return mwWinAPI::FromUtf8(text); }

bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix) {
  if (text.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (std::towlower(text[text.size() - suffix.size() + i]) != std::towlower(suffix[i])) return false;
  }
  return true;
}

// Numbers are read as the files are (one syntax for both): plain decimal,
// no hexadecimal, nothing beyond the type's range, never inf or nan.
long ParseInteger(const std::wstring& text, const std::wstring& what, long low, long high) {
  std::int32_t value = 0;
  if (!xmlread::ParseInt(text, value)) throw UsageError{what + L": not a whole number: \"" + text + L"\""};
  if (value < low || value > high) {
    throw UsageError{what + L" must be between " + std::to_wstring(low) + L" and " + std::to_wstring(high)};
  }
  return value;
}

double ParseNumber(const std::wstring& text, const std::wstring& what) {
  double value = 0;
  if (!xmlread::ParseDouble(text, value)) throw UsageError{what + L": not a number: \"" + text + L"\""};
  return value;
}

// System texts end in a line break (CR LF on Windows); each message is one line.
std::wstring OneLine(std::wstring text) {
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  return text;
}

std::vector<std::wstring> SplitCommas(const std::wstring& text) {
  std::vector<std::wstring> parts;
  std::wstring::size_type start = 0;
  for (;;) {
    const auto comma = text.find(L',', start);
    parts.push_back(text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
    if (comma == std::wstring::npos) return parts;
    start = comma + 1;
  }
}

struct Plain {
  double height, radius, ellipse, start, end;
};

struct Settings {
  long points = orbiform::kDefaultPointsPerRing;
  int axis = 0;
  std::vector<Plain> plains;
  bool reversed = false;
  int technique = TextureLevel::kSame;
  std::array<TexCoord, 4> corners{{{0, 0}, {50, 0}, {50, 50}, {0, 50}}};
  std::optional<std::wstring> texture, author, info;
  std::optional<int> flags;
  std::wstring simFolder;
  // Sphere parameters, at the sphere's defaults.
  std::optional<int> rings;
  std::optional<double> radius, ellipse, start, end;
  std::vector<std::wstring> positional;
};

// Reads "--name value" pairs and positional arguments.
class ArgReader {
 public:
  explicit ArgReader(const std::vector<std::wstring>& args) : args_(args) {}
  bool Done() const { return next_ >= args_.size(); }
  const std::wstring& Take() { return args_[next_++]; }
  const std::wstring& Value(const std::wstring& option) {
    if (Done()) throw UsageError{option + L" needs a value"};
    return Take();
  }

 private:
  const std::vector<std::wstring>& args_;
  std::size_t next_ = 0;
};

Settings ReadSettings(const std::vector<std::wstring>& args, std::size_t first, bool sphere) {
  Settings s;
  Options defaults;
  s.simFolder = defaults.voxtrakPath;
  std::vector<std::wstring> rest(args.begin() + static_cast<std::ptrdiff_t>(first), args.end());
  ArgReader in(rest);
  while (!in.Done()) {
    const std::wstring arg = in.Take();
    if (arg == L"--points") {
      // Any whole number: the wizard's own check below gives its message.
      s.points = ParseInteger(in.Value(arg), arg, INT32_MIN, INT32_MAX);
    } else if (arg == L"--axis") {
      s.axis = static_cast<int>(ParseInteger(in.Value(arg), arg, 0, 5));
    } else if (arg == L"--plain" && !sphere) {
      const auto parts = SplitCommas(in.Value(arg));
      if (parts.size() != 5)
        throw UsageError{L"--plain takes H,R,E,S,D: height, radius, ellipse, start, end"};
      s.plains.push_back({ParseNumber(parts[0], L"plain height"), ParseNumber(parts[1], L"plain radius"),
                          ParseNumber(parts[2], L"plain ellipse"),
                          ParseNumber(parts[3], L"plain start degree"),
                          ParseNumber(parts[4], L"plain end degree")});
    } else if (arg == L"--reversed") {
      s.reversed = true;
    } else if (arg == L"--technique") {
      const std::wstring& value = in.Value(arg);
      if (value == L"wrap") {
        s.technique = TextureLevel::kWrap;
      } else if (value == L"same") {
        s.technique = TextureLevel::kSame;
      } else {
        throw UsageError{L"--technique is wrap or same"};
      }
    } else if (arg == L"--corners") {
      const auto parts = SplitCommas(in.Value(arg));
      if (parts.size() != 8) throw UsageError{L"--corners takes eight whole numbers"};
      for (std::size_t i = 0; i < 4; ++i) {
        s.corners[i] = {
            static_cast<std::int32_t>(ParseInteger(parts[2 * i], L"corner", INT32_MIN, INT32_MAX)),
            static_cast<std::int32_t>(ParseInteger(parts[2 * i + 1], L"corner", INT32_MIN, INT32_MAX))};
      }
    } else if (arg == L"--texture") {
      s.texture = in.Value(arg);
    } else if (arg == L"--author") {
      s.author = in.Value(arg);
    } else if (arg == L"--info") {
      s.info = in.Value(arg);
    } else if (arg == L"--flags") {
      s.flags = static_cast<int>(ParseInteger(in.Value(arg), arg, 0, 3));
    } else if (arg == L"--simdir") {
      s.simFolder = in.Value(arg);
    } else if (sphere && arg == L"--rings") {
      s.rings = static_cast<int>(ParseInteger(in.Value(arg), arg, INT32_MIN, INT32_MAX));
    } else if (sphere && arg == L"--radius") {
      s.radius = ParseNumber(in.Value(arg), arg);
    } else if (sphere && arg == L"--ellipse") {
      s.ellipse = ParseNumber(in.Value(arg), arg);
    } else if (sphere && arg == L"--start") {
      s.start = ParseNumber(in.Value(arg), arg);
    } else if (sphere && arg == L"--end") {
      s.end = ParseNumber(in.Value(arg), arg);
    } else if (arg.size() > 1 && arg[0] == L'-') {
      throw UsageError{L"unknown option " + arg};
    } else {
      s.positional.push_back(arg);
    }
  }
  if (s.positional.size() != 1) throw UsageError{L"exactly one output file is needed"};
  orbiform::CheckWizardPoints(s.points);
  return s;
}

enum class OutputKind { Simulator, Project, Obj, Glb };

OutputKind KindOf(const std::wstring& path) {
  if (EndsWithNoCase(path, L".ek7mobj")) return OutputKind::Project;
  if (EndsWithNoCase(path, L".k7mobj")) return OutputKind::Simulator;
  if (EndsWithNoCase(path, L".obj")) return OutputKind::Obj;
  if (EndsWithNoCase(path, L".glb")) return OutputKind::Glb;
  throw UsageError{L"the output file must end in .k7mobj, .ek7mobj, .obj or .glb: " + path};
}

// The OBJ and glTF exports' note (texture left out) goes to `out`. A glTF
// file's names come from `name`, the project's.
void Write(const RoundObject& object, const std::wstring& path, const std::wstring& simFolder,
           std::string& out, const std::wstring& name = L"") {
  const OutputKind kind = KindOf(path);
  if (kind == OutputKind::Obj || kind == OutputKind::Glb) {
    try {
      const std::wstring note = kind == OutputKind::Obj
                                    ? WriteObjFiles(object, path)
                                    : WriteGlbFile(object, path, name.empty() ? FileStem(path) : name);
      if (!note.empty()) out += mwWinAPI::ToUtf8(note + L"\n");
    } catch (const mwstd::exception& e) {
      throw Refused{L"cannot write " + path + L": " + e.what()};
    }
    return;
  }
  const std::wstring text = KindOf(path) == OutputKind::Project ? ProjectFileText(object, simFolder, path)
                                                                : ExportFileText(object, path, simFolder);
  try {
    mwWinAPI::WriteUtf8FileReplacing(path, text);
  } catch (const mwstd::exception& e) {
    throw Refused{L"cannot write " + path + L": " + e.what()};
  }
}

// The wizard's final page, then what New and the editing commands add.
void Finish(RoundObject& object, const Settings& s) {
  if (s.texture) object.SetTexture(*s.texture);
  orbiform::FinishObject(object, s.technique, s.corners);
  if (s.reversed) object.RotateVectors();
  if (s.flags) object.SetGrundDeckFl(*s.flags);
  const Options defaults;
  orbiform::SetNewObjectProperties(object, s.author ? *s.author : defaults.defaultAuthor,
                                   defaults.defaultInfo);
  if (s.info) object.SetFileInfo(*s.info);  // taken as given, without the creator line
}

int MakeCylinder(const std::vector<std::wstring>& args, std::string& out) {
  const Settings s = ReadSettings(args, 1, false);
  if (s.plains.empty()) throw UsageError{L"a cylinder needs at least one --plain"};
  auto object = orbiform::ShapeObject(nullptr, false, static_cast<unsigned>(s.points), s.axis);
  for (const Plain& p : s.plains)
    orbiform::AddPlain(*object, {p.height, p.radius, p.ellipse, p.start, p.end});
  orbiform::GenerateRings(*object);
  Finish(*object, s);
  Write(*object, s.positional[0], s.simFolder, out);
  out += mwWinAPI::ToUtf8(L"wrote " + s.positional[0] + L"\n");
  return 0;
}

int MakeSphere(const std::vector<std::wstring>& args, std::string& out) {
  const Settings s = ReadSettings(args, 1, true);
  auto object = orbiform::ShapeObject(nullptr, true, static_cast<unsigned>(s.points), s.axis);
  auto& sphere = static_cast<Sphere&>(*object);
  if (s.rings) orbiform::SetSphereRings(sphere, *s.rings);
  if (s.radius) orbiform::SetSphereRadius(sphere, *s.radius);
  if (s.ellipse) orbiform::SetSphereEllipse(sphere, *s.ellipse);
  if (s.start) orbiform::SetSphereStartDegree(sphere, *s.start);
  if (s.end) orbiform::SetSphereEndDegree(sphere, *s.end);
  orbiform::RegenerateSphere(sphere);
  orbiform::GenerateRings(sphere);
  Finish(sphere, s);
  Write(sphere, s.positional[0], s.simFolder, out);
  out += mwWinAPI::ToUtf8(L"wrote " + s.positional[0] + L"\n");
  return 0;
}

// Opens a project as the editor's Open does: an invalid file is refused with
// the editor's message, the texture path is resolved against the folders.
std::unique_ptr<RoundObject> Open(const std::wstring& path, const std::wstring& simFolder) {
  std::string bytes;
  try {
    bytes = mwWinAPI::ReadFileBytes(path);
  } catch (const mwstd::exception& e) {
    throw Refused{L"cannot read " + path + L": " + e.what()};
  }
  // Every refusal names the file and says why.
  std::unique_ptr<RoundObject> object;
  bool valid = false;
  try {
    valid = ParseProject(bytes, object);
  } catch (const std::bad_alloc&) {
    throw Refused{L"cannot open " + path + L": out of memory"};
  } catch (const mwstd::exception& e) {  // a model check the file fails
    throw Refused{path + LoadText(IDS_NOT_A_PROJECT) + L": " + OneLine(e.what())};
  } catch (const std::exception& e) {
    throw Refused{path + LoadText(IDS_NOT_A_PROJECT) + L": " + Widen(e.what())};
  }
  if (!valid || !object) throw Refused{path + LoadText(IDS_NOT_A_PROJECT)};
  object->SetTexture(ResolveTexturePath(object->Texture(), path, simFolder));
  return object;
}

struct FileArgs {
  std::vector<std::wstring> files;
  std::wstring simFolder;
};

FileArgs ReadFileArgs(const std::vector<std::wstring>& args, std::size_t count, bool simdir) {
  FileArgs f;
  f.simFolder = Options().voxtrakPath;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (simdir && args[i] == L"--simdir") {
      if (i + 1 >= args.size()) throw UsageError{L"--simdir needs a value"};
      f.simFolder = args[++i];
    } else if (args[i].size() > 1 && args[i][0] == L'-') {
      throw UsageError{L"unknown option " + args[i]};
    } else {
      f.files.push_back(args[i]);
    }
  }
  if (f.files.size() != count) throw UsageError{args[0] + L" takes " + std::to_wstring(count) + L" file(s)"};
  return f;
}

int Convert(const std::vector<std::wstring>& args, std::string& out, OutputKind wanted) {
  const FileArgs f = ReadFileArgs(args, 2, true);
  const OutputKind kind = KindOf(f.files[1]);
  const bool exported = kind == OutputKind::Obj || kind == OutputKind::Glb;
  if (kind != wanted && !(wanted == OutputKind::Simulator && exported)) {
    throw UsageError{wanted == OutputKind::Simulator ? L"export writes a .k7mobj, .obj or .glb file"
                                                     : L"resave writes a .ek7mobj file"};
  }
  auto object = Open(f.files[0], f.simFolder);
  // As the editor's save and export: faces are brought up to date first, and
  // an export refuses layers that cannot be applied rather than write stale
  // coordinates.
  if (!object->TexCoordsValid() && !object->ApplyTextures() && wanted == OutputKind::Simulator)
    throw Refused{LoadText(IDS_LAYER_NOT_APPLIED)};
  Write(*object, f.files[1], f.simFolder, out, FileStem(f.files[0]));
  out += mwWinAPI::ToUtf8(L"wrote " + f.files[1] + L"\n");
  return 0;
}

int Info(const std::vector<std::wstring>& args, std::string& out) {
  const FileArgs f = ReadFileArgs(args, 1, true);
  const auto object = Open(f.files[0], f.simFolder);
  std::wostringstream text;
  text.imbue(std::locale::classic());
  const auto* sphere = object->IsSphere() ? static_cast<const Sphere*>(object.get()) : nullptr;
  text << L"file: " << f.files[0] << L"\n"
       << L"type: " << (sphere ? L"sphere" : L"cylinder") << L"\n"
       << L"rings: " << object->AreaCount() << L"\n"
       << L"points per ring: " << object->PointsPerRing() << L"\n"
       << L"points: " << object->PointCount() << L"\n"
       << L"faces: " << object->FaceCount() << L"\n"
       << L"base/top flags: " << object->GrundDeckFl() << L"\n"
       << L"axis: " << object->Axis() << L"\n"
       << L"vectors reversed: " << (object->VectorsReversed() ? L"yes" : L"no") << L"\n"
       << L"texture: " << object->Texture() << L"\n"
       << L"author: " << object->FileAuthor() << L"\n"
       << L"texture coordinates valid: " << (object->TexCoordsValid() ? L"yes" : L"no") << L"\n"
       << L"layers: " << object->TextureLevelCount() << L"\n";
  for (std::size_t i = 0; i < object->TextureLevelCount(); ++i) {
    const TextureLevel& l = object->TextureLevels()[i];
    text << L"  layer " << i << L": " << (l.type == TextureLevel::kWrap ? L"wrap" : L"same") << L", points "
         << l.startPoint << L"-" << l.endPoint << L", plains " << l.startArea << L"-" << l.endArea
         << L", corners";
    for (const TexCoord& c : l.coords) text << L" (" << c.first << L"," << c.second << L")";
    text << L"\n";
  }
  if (sphere) {
    text << L"sphere: rings " << sphere->Rings() << L", radius " << sphere->Radius() << L", ellipse "
         << sphere->Ellipse() << L", degrees " << sphere->StartDegree() << L"-" << sphere->EndDegree()
         << L"\n";
  }
  text << L"valid project file: yes\n";
  out += mwWinAPI::ToUtf8(text.str());
  return 0;
}

}  // namespace

int Run(const std::vector<std::wstring>& args, std::string& out, std::string& err) {
  try {
    if (args.empty() || args[0] == L"--help" || args[0] == L"-h") {
      (args.empty() ? err : out) += kUsage;
      return args.empty() ? 2 : 0;
    }
    const std::wstring& command = args[0];
    if (command == L"cylinder") return MakeCylinder(args, out);
    if (command == L"sphere") return MakeSphere(args, out);
    if (command == L"export") return Convert(args, out, OutputKind::Simulator);
    if (command == L"resave") return Convert(args, out, OutputKind::Project);
    if (command == L"info") return Info(args, out);
    throw UsageError{L"unknown command " + command};
  } catch (const UsageError& e) {
    err += "orbiform-cli: " + mwWinAPI::ToUtf8(OneLine(e.message)) + "\n" + kUsage;
    return 2;
  } catch (const Refused& e) {
    err += "orbiform-cli: " + mwWinAPI::ToUtf8(OneLine(e.message)) + "\n";
  } catch (const std::bad_alloc&) {
    err += "orbiform-cli: out of memory\n";
  } catch (...) {
    err += "orbiform-cli: " + mwWinAPI::ToUtf8(OneLine(mwstd::CurrentErrorText(L"unknown error"))) + "\n";
  }
  return 1;
}

}  // namespace orbiform::cli
