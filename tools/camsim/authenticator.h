#pragma once
// The camera's access check: none, Basic or Digest (MD5, qop "auth"), for one user.
//
// Threads: Check and Challenge run on the connection threads; the nonces handed out are shared
// between them under `lock`.

#include "tools/camsim/requesthead.h"

#include <deque>
#include <mutex>
#include <string>

namespace camsim {

enum class AuthMode { None, Basic, Digest };

class Authenticator {
  public:
    Authenticator(AuthMode mode, std::string user, std::string password, std::string realm);

    // Whether the request carries the right credentials (always, for AuthMode::None).
    bool Check(const RequestHead& request);
    // The value of the WWW-Authenticate header of a 401 answer.
    std::string Challenge();

  private:
    bool CheckBasic(const std::string& credentials) const;
    bool CheckDigest(const std::string& credentials, const RequestHead& request);

    const AuthMode mode;
    const std::string user;
    const std::string password;
    const std::string realm;

    std::mutex lock;
    std::deque<std::string> nonces; // the latest ones handed out; guarded by lock
};

} // namespace camsim
