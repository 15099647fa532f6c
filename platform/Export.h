/// @file
/// Symbol visibility of libdataobjects_data. The library is built with hidden visibility; every
/// class and function that applications use carries DATAOBJECTS_DATA_API.
#ifndef PLATFORM_EXPORT_H
#define PLATFORM_EXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define DATAOBJECTS_DATA_API __attribute__((visibility("default")))
/// A private member function of an exported class that only the library's sources call.
#define DATAOBJECTS_DATA_LOCAL __attribute__((visibility("hidden")))
#else
#define DATAOBJECTS_DATA_API
#define DATAOBJECTS_DATA_LOCAL
#endif

#endif  // PLATFORM_EXPORT_H
