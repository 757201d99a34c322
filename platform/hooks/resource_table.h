// Table of resources compiled into the program; FindResourceA and friends look it up.
// The build generates its definition from the artwork generator's output.
#pragma once

struct EmbeddedResource {
  unsigned short id;           // numeric resource id (103-119 for the pictures)
  const char* type;            // resource type name, "BINARYDATA" for every picture
  const unsigned char* bytes;  // the resource's bytes
  unsigned int size;           // number of bytes
};

extern const EmbeddedResource embeddedResources[];
extern const int embeddedResourceCount;
