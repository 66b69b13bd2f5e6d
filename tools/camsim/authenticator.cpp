#include "tools/camsim/authenticator.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <algorithm>
#include <map>
#include <random>

namespace camsim {

namespace {

// Nonces older than this many challenges are no longer accepted.
constexpr size_t kNonceMemory = 64;

std::string Md5Hex(const std::string& text) {
    return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Md5)
        .toHex()
        .toStdString();
}

// The name=value and name="value" pairs of a Digest header.
std::map<std::string, std::string> DigestFields(const std::string& text) {
    std::map<std::string, std::string> fields;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == ','))
            ++i;
        const size_t equals = text.find('=', i);
        if (equals == std::string::npos)
            break;
        std::string name = text.substr(i, equals - i);
        std::string value;
        i = equals + 1;
        if (i < text.size() && text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            if (close == std::string::npos)
                break;
            value = text.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            const size_t end = std::min(text.find(',', i), text.size());
            value = text.substr(i, end - i);
            i = end;
        }
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        fields[name] = value;
    }
    return fields;
}

} // namespace

Authenticator::Authenticator(AuthMode mode, std::string user, std::string password, std::string realm)
    : mode(mode), user(std::move(user)), password(std::move(password)), realm(std::move(realm)) {}

bool Authenticator::Check(const RequestHead& request) {
    if (mode == AuthMode::None)
        return true;
    const std::string authorization = request.Header("Authorization");
    const size_t blank = authorization.find(' ');
    if (blank == std::string::npos)
        return false;
    const std::string scheme = authorization.substr(0, blank);
    const std::string credentials = authorization.substr(blank + 1);
    if (mode == AuthMode::Basic)
        return scheme == "Basic" && CheckBasic(credentials);
    return scheme == "Digest" && CheckDigest(credentials, request);
}

std::string Authenticator::Challenge() {
    if (mode == AuthMode::Basic)
        return "Basic realm=\"" + realm + "\"";
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const std::string nonce = Md5Hex(std::to_string(random()));
    {
        std::lock_guard<std::mutex> guard(lock);
        nonces.push_back(nonce);
        if (nonces.size() > kNonceMemory)
            nonces.pop_front();
    }
    return "Digest realm=\"" + realm + "\", nonce=\"" + nonce + "\", qop=\"auth\", algorithm=MD5";
}

bool Authenticator::CheckBasic(const std::string& credentials) const {
    const QByteArray decoded = QByteArray::fromBase64(QByteArray::fromStdString(credentials));
    return decoded.toStdString() == user + ":" + password;
}

bool Authenticator::CheckDigest(const std::string& credentials, const RequestHead& request) {
    std::map<std::string, std::string> fields = DigestFields(credentials);
    if (fields["username"] != user || fields["realm"] != realm || fields["uri"] != request.target)
        return false;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (std::find(nonces.begin(), nonces.end(), fields["nonce"]) == nonces.end())
            return false;
    }
    const std::string ha1 = Md5Hex(user + ":" + realm + ":" + password);
    const std::string ha2 = Md5Hex(request.method + ":" + fields["uri"]);
    const std::string expected = fields["qop"].empty()
                                     ? Md5Hex(ha1 + ":" + fields["nonce"] + ":" + ha2)
                                     : Md5Hex(ha1 + ":" + fields["nonce"] + ":" + fields["nc"] + ":" +
                                              fields["cnonce"] + ":" + fields["qop"] + ":" + ha2);
    return fields["response"] == expected;
}

} // namespace camsim
