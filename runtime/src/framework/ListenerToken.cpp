#include "cppmicroservices/ListenerToken.h"

namespace cppmicroservices {

ListenerToken::ListenerToken() : tokenId(0) {}

ListenerToken::ListenerToken(ListenerTokenId id) : tokenId(id) {}

ListenerToken::ListenerToken(ListenerToken&& other) noexcept : tokenId(other.tokenId)
{
  other.tokenId = 0;
}

ListenerToken& ListenerToken::operator=(ListenerToken&& other) noexcept
{
  tokenId = other.tokenId;
  other.tokenId = 0;
  return *this;
}

ListenerToken::operator bool() const
{
  return tokenId != 0;
}

ListenerTokenId ListenerToken::Id() const
{
  return tokenId;
}

} // namespace cppmicroservices
