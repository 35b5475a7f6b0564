#pragma once
// The parameter editor's tree when the tree file of the language is missing or holds no node:
// every menu and submenu the menu map has, numbered as the map numbers them ("3", "3.2"), under
// one root. Without a menu map only the root remains.

#include <string>

#include "params/core/MenuTree.h"
#include "params/core/ParameterMenuMap.h"

TMenuTree MenuTreeFromMenuMap(const TParameterMenuMap& Map, const std::string& RootCaption);
