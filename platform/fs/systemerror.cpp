#include "platform/fs/systemerror.h"

#include <system_error>

QString SystemErrorText(int error) {
    return QString::fromStdString(std::generic_category().message(error));
}
