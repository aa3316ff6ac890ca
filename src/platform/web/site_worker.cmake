# Writes the service worker for the site folder SITE from TEMPLATE into OUT:
# the list of the site's FILES to keep and a version made from their
# contents, so every build that changes a byte of the site gets a cache of
# its own and a visit after it replaces the one before.
#
#   cmake -DSITE=dir -DTEMPLATE=sw.js.in -DOUT=dir/sw.js -DFILES="a;b" -P site_worker.cmake
set(digests "")
set(quoted "'./'")
foreach(file IN LISTS FILES)
  if(NOT EXISTS ${SITE}/${file})
    message(FATAL_ERROR "the site has no ${file}")
  endif()
  file(SHA256 ${SITE}/${file} digest)
  string(APPEND digests "${file} ${digest}\n")
  string(APPEND quoted ", '${file}'")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 SITE_VERSION)
set(SITE_FILES "${quoted}")
configure_file(${TEMPLATE} ${OUT}.new @ONLY)
file(RENAME ${OUT}.new ${OUT})
