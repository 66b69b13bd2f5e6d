#include "collection/collectionstrings.h"

#include "foundation/text.h"

namespace {

// Used until the viewer registers its string table, and by programs without one (zelctl).
const StringResource kBuiltInTexts[] = {
    {CollectionString::kUnknown, u"Unknown"},
    {CollectionString::kCameraName, u"Camera"},
    {CollectionString::kFolderName, u"Folder"},
    {CollectionString::kCameraSwitchName, u"Camera Switch"},
    {CollectionString::kLiveSiteName, u"Live View Site"},
};

} // namespace

QString CollectionText(int id) {
    const QString text = LoadResText(id);
    if (!text.isEmpty())
        return text;
    for (const StringResource& entry : kBuiltInTexts) {
        if (entry.id == id)
            return QString::fromUtf16(entry.text);
    }
    return QString();
}
