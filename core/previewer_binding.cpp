#include "core/previewer_binding.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <memory>
#include <string>

#include "runtime/message.h"

namespace {

struct Binding {
    std::unique_ptr<QLibrary> library;
    PreviewerEntries entries;
    bool bound = false;
};

Binding &binding()
{
    static Binding b;
    return b;
}

constexpr const char *kTitle = "Report Previewer";
constexpr const char *kConsequence = "||Reports cannot be previewed or printed in this session.";

void refuse(const std::string &text)
{
    rt::message(text + kConsequence, kTitle, rt::Icon::Exclamation, rt::BUTTON_OK);
}

}  // namespace

void unbindPreviewer()
{
    Binding &b = binding();
    b.entries = {};
    b.bound = false;
    // The module stays mapped: a library with Qt classes in it is not safely unloaded while the
    // process runs.
    b.library.reset();
}

bool bindPreviewer(const QString &folder)
{
    unbindPreviewer();
    const QString path = QDir(QFileInfo(folder).absoluteFilePath()).filePath(QStringLiteral(VURD5P32_FILE_NAME));
    // Only this very file: QLibrary would otherwise go on to try other prefixes and suffixes.
    if (!QFileInfo(path).isFile()) {
        refuse("The report previewer " + path.toStdString() + " is missing.");
        return false;
    }
    auto library = std::make_unique<QLibrary>(path);
    if (!library->load()) {
        refuse("The report previewer " + path.toStdString() + " could not be loaded:|" +
               library->errorString().toStdString());
        return false;
    }
    PreviewerEntries e;
    e.printPreview = reinterpret_cast<PrintPreviewEntry>(library->resolve("PRINTPREVIEW"));
    e.assignPageOfPages = reinterpret_cast<AssignPageOfPagesEntry>(library->resolve("ASSGNPGOFPG"));
    e.handleCopies = reinterpret_cast<HandleCopiesEntry>(library->resolve("HANDLECOPIES"));
    e.supported = reinterpret_cast<SupportedEntry>(library->resolve("SUPPORTED"));
    std::string missing;
    auto note = [&missing](const void *entry, const char *name) {
        if (!entry)
            missing += std::string(missing.empty() ? "" : ", ") + name;
    };
    note(reinterpret_cast<const void *>(e.printPreview), "PRINTPREVIEW");
    note(reinterpret_cast<const void *>(e.assignPageOfPages), "ASSGNPGOFPG");
    note(reinterpret_cast<const void *>(e.handleCopies), "HANDLECOPIES");
    note(reinterpret_cast<const void *>(e.supported), "SUPPORTED");
    if (!missing.empty()) {
        refuse("The report previewer " + path.toStdString() + " lacks the entry point " + missing + ".");
        return false;
    }
    Binding &b = binding();
    b.library = std::move(library);
    b.entries = e;
    b.bound = true;
    return true;
}

bool bindPreviewer() { return bindPreviewer(QCoreApplication::applicationDirPath()); }

const PreviewerEntries *previewerEntries()
{
    const Binding &b = binding();
    return b.bound ? &b.entries : nullptr;
}
