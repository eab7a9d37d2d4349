// Writes the seed corpus of formresource_fuzz: form texts like the tests' (argv[1] = folder),
// each as a compiled stream to read (mode byte 0), to print (1) and as text to compile (2).
#include "fuzz/SeedCorpus.h"
#include "vcl/FormText.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const Forms[] = {
    R"(object Form1: TFuzzForm
  Caption = 'Ключ '#9'tab'
  object Panel: TFuzzControl
    Left = 10
    Width = 65535
    Caption = 'It''s '#55357#56832
    Section = 'EDIT'
    Visible = False
    Align = faClient
    Anchors = [faTop, faClient]
    Ratio = 0.25
    Big = 8589934592
    Accel = '&'
    Font.Name = 'Tahoma'
    Lines.Strings = (
      'one'
      '')
    Items = <
      item
        Link = Later
        Data = {}
      end
      item
        Value = 7
        Data = {00FF}
      end>
    Buddy = Later
    OnClick = Click
    Blob = {0102030405}
    object Inner: TFuzzControl
      Tag = 5
      Left = 1
    end
  end
  object Later: TFuzzControl
    Left = 2
  end
end
)",
    R"(object Form1: TFuzzForm
  object A: TFuzzControl
    Left = $FF000007
    Ratio = 6
    Lines = ('a' + 'b')
    Buddy = a
    Buddy = nil
    Items = <item Link = A end>
    Items = <>
  end
end
)",
    ("object Form1: TFuzzForm\n  object A: TFuzzControl\n    object B: TFuzzControl\n      object C: TFuzzControl\n"
     "      end\n    end\n  end\nend\n"),
    "object TFuzzForm\nend\n",
};

// The target reads its mode from the last byte.
void Write(const std::filesystem::path& file, std::vector<uint8_t> bytes, uint8_t mode)
{
    bytes.push_back(mode);
    ks::fuzz::WriteSeed(file, bytes);
}

} // namespace

// Forms at and past the target's limits: 64 components, nesting 8 deep, 64 collection items,
// property paths of 4 names.
std::vector<std::string> LimitForms()
{
    std::vector<std::string> forms;
    for (int count : {63, 64}) {
        std::string text = "object Form1: TFuzzForm\n";
        for (int i = 0; i < count; ++i)
            text += "  object C" + std::to_string(i) + ": TFuzzControl\n  end\n";
        forms.push_back(text + "end\n");
    }
    for (int depth : {7, 8}) {
        std::string text = "object Form1: TFuzzForm\n";
        for (int i = 0; i < depth; ++i)
            text += "object C" + std::to_string(i) + ": TFuzzControl\n";
        for (int i = 0; i <= depth; ++i)
            text += "end\n";
        forms.push_back(text);
    }
    for (int count : {64, 65}) {
        std::string text = "object Form1: TFuzzForm\n  object A: TFuzzControl\n    Items = <";
        for (int i = 0; i < count; ++i)
            text += " item Value = " + std::to_string(i) + " end";
        forms.push_back(text + ">\n  end\nend\n");
    }
    forms.push_back("object Form1: TFuzzForm\n  object A: TFuzzControl\n    Font.Name = 'a'\n    A.B.C.D = 1\n  end\nend\n");
    forms.push_back("object Form1: TFuzzForm\n  object A: TFuzzControl\n    A.B.C.D.E = 1\n  end\nend\n");
    return forms;
}

int main(int argc, char** argv)
{
    const std::filesystem::path folder = ks::fuzz::SeedFolder(argc, argv);
    int n = 0;
    std::vector<std::string> texts(std::begin(Forms), std::end(Forms));
    for (const std::string& text : LimitForms())
        texts.push_back(text);
    for (const std::string& text : texts) {
        const std::vector<uint8_t> bytes = CompileFormText(text);
        Write(folder / ("read" + std::to_string(n)), bytes, 0);
        Write(folder / ("print" + std::to_string(n)), bytes, 1);
        Write(folder / ("text" + std::to_string(n)), std::vector<uint8_t>(text.begin(), text.end()), 2);
        ++n;
    }
    return 0;
}
