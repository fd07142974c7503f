int km_app_placeholder() { return 0; }
