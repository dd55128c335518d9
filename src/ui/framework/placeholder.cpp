// Placeholder until the control-framework adapter lands.
