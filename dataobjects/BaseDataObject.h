/// @file
/// BaseDataObject: the polymorphic base of every data object, with two byte-wide flags and the
/// loader through which objects with compressed details fetch them by external reference.
#ifndef DATAOBJECTS_BASEDATAOBJECT_H
#define DATAOBJECTS_BASEDATAOBJECT_H

#include <vector>

#include "platform/Export.h"

/// Fetches the compressed details stored under an external reference (empty when there are
/// none). A plain function pointer: it carries no context, so whatever state it needs must be
/// global, and it is called from whichever thread asks an object for its details.
typedef std::vector<unsigned char> (*ExternalReferenceLoader)(long long externalReference);

class DATAOBJECTS_DATA_API BaseDataObject {
 public:
  BaseDataObject() : baseFlag1(0), baseFlag2(0), externalReferenceLoader(nullptr) {}
  BaseDataObject(const BaseDataObject&) = default;
  BaseDataObject& operator=(const BaseDataObject&) = default;
  virtual ~BaseDataObject();

  /// Not read by this library; zero after construction and copied with the object.
  unsigned char baseFlag1;
  unsigned char baseFlag2;
  /// Null unless an application installs one; copied with the object, never owned.
  ExternalReferenceLoader externalReferenceLoader;
};

#endif  // DATAOBJECTS_BASEDATAOBJECT_H
