# Placeholder until the value texts land.
