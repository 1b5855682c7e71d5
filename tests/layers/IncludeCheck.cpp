// Checks every folder's #include lines against the layer arrows, so a wrong
// include is caught even where the build happens to link. Usage:
//   kbr_include_check <source root>
// Prints one line per offending include and exits 1 when there is any.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TLayer {
    std::string folder;           // relative to the source root
    std::set<std::string> mayUse; // project folders its includes name, itself included
    bool qt;                      // whether it may include Qt headers
    bool anything = false;        // tests and benchmarks: every folder, no arrows of their own
};

// The arrows as they are: each folder and the folders its includes name. An
// arrow no include follows is an error too, so the table never promises
// more than the code does.
const std::vector<TLayer> kLayers = {
    {"app", {"app", "pages", "core", "skin", "board", "platform"}, true},
    {"pages", {"pages", "core", "skin", "board", "platform"}, true},
    {"core", {"core", "config", "board", "platform", "wire"}, false},
    {"skin", {"skin", "platform"}, true},
    {"config", {"config", "platform", "wire"}, false},
    {"board", {"board", "platform", "wire"}, false},
    {"platform", {"platform"}, false},
    {"drivers", {"drivers", "platform", "wire"}, false},
    {"vboard", {"vboard", "platform", "wire"}, false},
    {"cli", {"cli", "core", "config", "board", "platform", "wire"}, false},
    {"python", {"python", "core", "platform"}, false},
    {"wire", {"wire"}, false},
    // The build-time generators: the skin drawn with Qt, where the device table places the
    // devices; the design file by the virtual board's rules.
    {"resources", {"resources", "core", "vboard"}, true},
    {"tests", {}, true, true},
    {"bench", {}, true, true},
    // Install rules, the desktop entry and the udev rule: no code of its own.
    {"packaging", {}, false},
};

// The layer a path (of a file or of an include) belongs to: the longest folder that holds it.
const TLayer* LayerOf(const std::string& path) {
    const TLayer* best = nullptr;
    for (const auto& layer : kLayers) {
        const std::string prefix = layer.folder + "/";
        if (path.compare(0, prefix.size(), prefix) == 0 &&
            (!best || layer.folder.size() > best->folder.size()))
            best = &layer;
    }
    return best;
}

bool IsSource(const fs::path& p) {
    static const std::set<std::string> kExtensions = {".h", ".hpp", ".cpp", ".cc", ".c"};
    return kExtensions.count(p.extension().string()) != 0;
}

bool IsQtHeader(const std::string& name) {
    return name.size() > 1 && name[0] == 'Q' &&
           (std::isupper(static_cast<unsigned char>(name[1])) || name.compare(0, 2, "Qt") == 0);
}

// Arrows that some include follows, as "from>to".
std::set<std::string> usedArrows;

int CheckFile(const fs::path& root, const fs::path& file, const TLayer& layer) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    const std::string relative = fs::relative(file, root).generic_string();
    std::ifstream in(file);
    std::string line;
    int faults = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        std::smatch m;
        if (!std::regex_search(line, m, kInclude))
            continue;
        const bool quoted = m[1] == "\"";
        const std::string name = m[2];
        std::string why;
        if (!quoted && IsQtHeader(name) && !layer.qt) {
            why = layer.folder + " never includes Qt";
        } else if (quoted) {
            const TLayer* target = LayerOf(name);
            if (!target)
                why = "not a path from the source root";
            else if (!layer.anything && !layer.mayUse.count(target->folder))
                why = layer.folder + " may not use " + target->folder;
            else
                usedArrows.insert(layer.folder + ">" + target->folder);
        }
        if (!why.empty()) {
            std::cout << relative << ":" << number << ": #include " << m[1] << name
                      << (quoted ? "\"" : ">") << ": " << why << "\n";
            ++faults;
        }
    }
    return faults;
}

const TLayer* Named(const std::string& folder) {
    for (const auto& layer : kLayers)
        if (layer.folder == folder)
            return &layer;
    return nullptr;
}

// Whether following the arrows from `layer` comes back to a folder on `path`.
bool ReachesCycle(const TLayer& layer, std::vector<std::string>& path) {
    if (std::find(path.begin(), path.end(), layer.folder) != path.end()) {
        path.push_back(layer.folder);
        return true;
    }
    path.push_back(layer.folder);
    for (const auto& next : layer.mayUse) {
        const TLayer* target = Named(next);
        if (next != layer.folder && target && ReachesCycle(*target, path))
            return true;
    }
    path.pop_back();
    return false;
}

// Arrows must point one way: a cycle in the table is a fault before any file is read.
int CheckTable() {
    int faults = 0;
    for (const auto& layer : kLayers) {
        for (const auto& target : layer.mayUse)
            if (!Named(target)) {
                std::cout << layer.folder << " -> " << target << ": no such folder in the table\n";
                ++faults;
            }
        std::vector<std::string> path;
        if (ReachesCycle(layer, path)) {
            std::string text;
            for (const auto& folder : path)
                text += (text.empty() ? "" : " -> ") + folder;
            std::cout << "the layer table has a cycle: " << text << "\n";
            return faults + 1;
        }
    }
    return faults;
}

// Arrows of folders that were read but that no include follows.
int CheckUnusedArrows(const fs::path& root) {
    int faults = 0;
    for (const auto& layer : kLayers) {
        if (!fs::is_directory(root / layer.folder))
            continue;
        for (const auto& target : layer.mayUse)
            if (target != layer.folder && !usedArrows.count(layer.folder + ">" + target)) {
                std::cout << layer.folder << " -> " << target
                          << ": an arrow in the layer table that no include follows\n";
                ++faults;
            }
    }
    return faults;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kbr_include_check <source root>\n";
        return 2;
    }
    const fs::path root = fs::canonical(argv[1]);
    int faults = CheckTable(), files = 0;
    if (faults > 0)
        return 1;
    // Every folder the build knows of needs a row, or its includes would go unchecked.
    for (const auto& entry : fs::directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && fs::exists(entry.path() / "CMakeLists.txt") &&
            !LayerOf(name + "/")) {
            std::cout << name << "/: a folder of the build without a row in the layer table\n";
            ++faults;
        }
    }
    for (const auto& layer : kLayers) {
        const fs::path folder = root / layer.folder;
        if (!fs::is_directory(folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (!entry.is_regular_file() || !IsSource(entry.path()))
                continue;
            const std::string relative = fs::relative(entry.path(), root).generic_string();
            if (LayerOf(relative) != &layer)
                continue; // a subfolder with its own row
            faults += CheckFile(root, entry.path(), layer);
            ++files;
        }
    }
    faults += CheckUnusedArrows(root);
    std::cout << files << " files checked, " << faults << " faults\n";
    return faults == 0 ? 0 : 1;
}
