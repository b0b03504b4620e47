// Runs the built cellplot in a fresh temporary directory and reads back what
// it wrote.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testing_support {

class ScratchDir {
public:
    ScratchDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "cellplot-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(file(name), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

    struct Result {
        int status;
        std::string err;
        std::string out;
    };
    // Runs program (with args) in the directory, no standard input.
    Result run(const std::string& program, const std::string& args = "") const
    {
        std::string cmd = "cd '" + path_.string() + "' && '" + program + "' " + args +
                          " </dev/null >.stdout 2>.stderr";
        int rc = std::system(cmd.c_str());
        Result r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, read(".stderr"), read(".stdout")};
        std::filesystem::remove(path_ / ".stdout");
        std::filesystem::remove(path_ / ".stderr");
        return r;
    }

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
