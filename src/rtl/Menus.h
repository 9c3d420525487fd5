// Menu texts of the product: the accelerator stripper and the descriptor of
// the product's top-level menu item, under which the wizard's item is placed.
#pragma once

#include "rtl/SysUtils.h"

namespace mirel {

/// The caption without its accelerator marks: a single '&' is dropped, "&&"
/// (a literal ampersand) becomes '&'. A trailing lone '&' is dropped too.
String RemoveAmpersands(StringView caption);

/// Describes the product's top-level menu item.
struct TProductMenu {
  /// Component name of the top-level item; how an existing item is recognised.
  String ItemName;
  /// Caption of the top-level item.
  String Caption;
  /// Caption shown instead when another top-level item already shows Caption
  /// (compared without accelerators and ASCII case). Empty: no alternative.
  String AltCaption;
};

/// The product's own descriptor: item "MirelMenu", caption "&Mirel",
/// alternative "Mirel for &SQL Server". A module-level constant, initialised
/// before main(); do not read it from another file's static initialiser.
extern const TProductMenu Menu;

}  // namespace mirel
