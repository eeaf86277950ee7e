# Placeholder until the automation seam lands.
add_library(norvale_automation INTERFACE)
