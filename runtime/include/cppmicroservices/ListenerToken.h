#ifndef CPPMICROSERVICES_LISTENERTOKEN_H
#define CPPMICROSERVICES_LISTENERTOKEN_H

#include "cppmicroservices/FrameworkConfig.h"

#include <cstdint>

namespace cppmicroservices {

using ListenerTokenId = std::uint64_t;

/**
 * Names one listener added to a bundle context, for BundleContext::RemoveListener.
 * Move-only: one token, one listener.
 */
class US_Framework_EXPORT ListenerToken
{
public:
  /// An invalid token.
  ListenerToken();

  ListenerToken(ListenerToken const&) = delete;
  ListenerToken& operator=(ListenerToken const&) = delete;

  ListenerToken(ListenerToken&& other) noexcept;
  ListenerToken& operator=(ListenerToken&& other) noexcept;

  /// False for a default-constructed or moved-from token.
  explicit operator bool() const;

private:
  friend class BundleContext;

  explicit ListenerToken(ListenerTokenId tokenId);
  ListenerTokenId Id() const;

  ListenerTokenId tokenId;
};

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_LISTENERTOKEN_H
