#pragma once
// Kasumido's release number, in one place: the version resources and the release zip's name
// (scripts/dist.sh) take it from here.
#define KASUMIDO_VERSION_MAJOR 1
#define KASUMIDO_VERSION_MINOR 0
#define KASUMIDO_VERSION_PATCH 0
#define KASUMIDO_VERSION_TEXT "1.0.0"
