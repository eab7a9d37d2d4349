// The form-resource compiler: reads one form text file and writes the binary stream the form
// reader loads from the program's RCDATA resources. Errors go to stderr as "file:line: message".
#include "vcl/FormText.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: formc INPUT OUTPUT\n";
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::cerr << input << ": cannot open\n";
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<uint8_t> bytes;
    try {
        bytes = CompileFormText(text);
    } catch (const EParserError& e) {
        std::cerr << input << ":" << e.Line() << ": " << e.Message() << "\n";
        return 1;
    } catch (const Exception& e) {
        std::cerr << input << ": " << e.Message() << "\n";
        return 1;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << output << ": cannot write\n";
        std::remove(output.c_str());
        return 1;
    }
    return 0;
}
