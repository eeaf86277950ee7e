# Placeholder until the export lands.
add_library(norvale_export INTERFACE)
