/// @file
/// DetailsOptionsCache: the Options parsed from an object's details text, created on the first
/// request and kept until dropped. Const operations fill and drop it, so an object holding one
/// must not be used from two threads at once, not even through const access.
#ifndef DATAOBJECTS_DETAILSOPTIONSCACHE_H
#define DATAOBJECTS_DETAILSOPTIONSCACHE_H

#include <memory>

#include "platform/Options.h"

namespace dataobjects_data {
namespace detail {

class DetailsOptionsCache {
 public:
  DetailsOptionsCache() = default;
  /// A cache is never shared or copied: a copy starts empty and parses for itself.
  DetailsOptionsCache(const DetailsOptionsCache&) {}
  DetailsOptionsCache& operator=(const DetailsOptionsCache&) {
    drop();
    return *this;
  }

  /// The cached Options. On the first request an Options is created and cached at once, then
  /// parsed from what `getText` returns; if `getText` or the parse throws, the exception passes
  /// and the Options stays cached as far as it got.
  template <class GetText>
  const Options& get(GetText&& getText) const {
    if (!options_) {
      options_.reset(new Options());
      options_->parse(getText());
    }
    return *options_;
  }

  /// Releases the cached Options, if any.
  void drop() const { options_.reset(); }

  bool holdsOptions() const { return options_ != nullptr; }

 private:
  mutable std::unique_ptr<Options> options_;
};

}  // namespace detail
}  // namespace dataobjects_data

#endif  // DATAOBJECTS_DETAILSOPTIONSCACHE_H
