// Keeps the test helper library non-empty while it grows.
namespace tarvo_sim_anchor {
int anchor = 0;
}
