#include "CommandLine.h"

#include "MiradoVersion.h"
#include "StartArguments.h"

namespace mirado::ui {
namespace {

std::u16string Version() {
    const auto number = [](int n) {
        const std::string digits = std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
    };
    return u"Mirado " + number(kVersionMajor) + u'.' + number(kVersionMinor) + u'.' + number(kVersionPatch) + u'\n';
}

std::u16string Help() {
#ifdef _WIN32
    constexpr char16_t kHelpOptions[] = u"  /?, --help";
#else
    constexpr char16_t kHelpOptions[] = u"  --help    ";
#endif
    return std::u16string(u"使い方: mirado [--] [ファイル]...\n"
                          u"Mirado のウィンドウを開きます。ファイルを指定すると、ファイルを待たせた状態で開きます。"
                          u"変換の種類を選んで Enter キーを押すと、新しい名前で、元のファイルと同じ場所の"
                          u"「_rename」フォルダーにコピーします。Esc キーで取り消します。\n\n") +
           kHelpOptions + u"  この説明を表示します\n"
                          u"  --version   バージョンを表示します\n"
                          u"  --          これより後の引数は、「-」で始まっていてもファイルとして扱います\n";
}

}  // namespace

CommandLine::CommandLine(const std::vector<std::u16string>& arguments) {
    bool options = true;
    bool help = false, version = false;
    for (const std::u16string& argument : arguments) {
        if (options && argument == u"--") {
            options = false;
        } else if (options && argument == u"--help") {
            help = true;
#ifdef _WIN32
        } else if (options && argument == u"/?") {
            help = true;
#endif
        } else if (options && argument == u"--version") {
            version = true;
        } else if (options && argument.size() > 1 && argument.front() == u'-') {
            if (refused_.empty()) refused_ = argument;
        } else {
            files_.push_back(StartPath(argument));
        }
    }
    request_ = help ? Request::Help : version ? Request::Version : !refused_.empty() ? Request::Refuse : Request::Open;
}

std::u16string CommandLine::Answer() const {
    switch (request_) {
        case Request::Help:
            return Help();
        case Request::Version:
            return Version();
        case Request::Refuse:
            return u"mirado: 「" + refused_ +
                   u"」というオプションはありません。使い方は mirado --help で確かめられます。"
                   u"「-」で始まる名前のファイルは、「--」の後に指定してください。\n";
        case Request::Open:
            break;
    }
    return {};
}

}  // namespace mirado::ui
