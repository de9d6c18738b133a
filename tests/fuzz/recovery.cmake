corppay_add_fuzz(recovery LIBS app)
