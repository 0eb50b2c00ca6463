// layoutc: turns a layout text into the component stream the program loads.
//   layoutc [-D NAME=VALUE]... [--base DIR] [--fields HEADER] INPUT OUTPUT
//   layoutc --dump STREAM
// --fields also writes the form's binding header (LayoutText.h, FieldsHeader);
// a header whose text is already that is left untouched, so that a change of
// a picture or a document the layout carries recompiles no form.
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "LayoutText.h"

namespace {
std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

int main(int argc, char** argv) {
    try {
        layouttext::Options opt;
        std::string base, in, out, fields;
        for (int k = 1; k < argc; ++k) {
            std::string a = argv[k];
            if (a == "-D" && k + 1 < argc) {
                std::string d = argv[++k];
                auto eq = d.find('=');
                if (eq == std::string::npos) throw std::runtime_error("-D needs NAME=VALUE");
                opt.vars[d.substr(0, eq)] = d.substr(eq + 1);
            } else if (a == "--base" && k + 1 < argc) {
                base = argv[++k];
            } else if (a == "--fields" && k + 1 < argc) {
                fields = argv[++k];
            } else if (a == "--dump" && k + 1 < argc) {
                std::string data = ReadAll(argv[++k]);
                std::cout << layouttext::Dump(layout::Decode(data.data(), data.size(), argv[k]));
                return 0;
            } else if (in.empty()) {
                in = a;
            } else if (out.empty()) {
                out = a;
            } else {
                throw std::runtime_error("unexpected argument " + a);
            }
        }
        if (in.empty() || out.empty()) {
            std::cerr << "usage: layoutc [-D NAME=VALUE]... [--base DIR] [--fields HEADER] INPUT OUTPUT | --dump STREAM\n";
            return 2;
        }
        opt.fileName = in;
        opt.readFile = [&](const std::string& p) {
            bool absolute = !p.empty() && p[0] == '/';
            return ReadAll(absolute || base.empty() ? p : base + "/" + p);
        };
        layout::Node root = layouttext::Parse(ReadAll(in), opt);
        if (!fields.empty()) {
            std::string header = layouttext::FieldsHeader(root, BaseName(in));
            std::ifstream old(fields, std::ios::binary);
            if (!old || std::string(std::istreambuf_iterator<char>(old), {}) != header) {
                old.close();
                WriteAll(fields, header);
            }
        }
        WriteAll(out, layout::Encode(root));
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "layoutc: " << e.what() << "\n";
        return 1;
    }
}
